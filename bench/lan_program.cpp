// SPDX-License-Identifier: MIT
#include "lan_program.h"

#include <cstdlib>
#include <stdexcept>

namespace bench {

LanProgram::LanProgram(const QStringList& arguments, const char* what) : what_(what)
{
    const char* prefix = std::getenv("MUXLAN_EXEC");
    if (!prefix || !*prefix)
        throw std::runtime_error(
            "MUXLAN_EXEC is not set: run inside scripts/netlab (scripts/bench and scripts/soak do)");
    QStringList command = QString(prefix).split(' ', Qt::SkipEmptyParts);
    const QString program = command.takeFirst();
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.setReadChannel(QProcess::StandardOutput);
    process_.start(program, command + arguments);
    if (!process_.waitForStarted(5000))
        throw std::runtime_error(std::string(what_) + " did not start");
    while (!process_.canReadLine()) {
        if (!process_.waitForReadyRead(10000))
            throw std::runtime_error(std::string(what_) +
                                     " did not get ready: " + process_.readAllStandardError().toStdString());
    }
    const QByteArray ready = process_.readLine().trimmed();
    if (ready != "ready")
        throw std::runtime_error(std::string(what_) + " said " + ready.toStdString());
}

LanProgram::~LanProgram() { Stop(); }

std::string LanProgram::Stop()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(10000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    return process_.readAllStandardOutput().toStdString();
}

QString MuxSimProgram() { return QStringLiteral(MUX_MUXSIM_PROGRAM); }

} // namespace bench
