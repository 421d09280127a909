// SPDX-License-Identifier: MIT
// Runs the real muxconfig program in the command-line mode and keeps what it
// printed and its exit status.
#pragma once
#include <QProcess>
#include <QStringList>

#include <string>

struct MuxconfigRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

// `prefix`: a command that runs the program, e.g. {"unshare", "--net"}.
inline MuxconfigRun RunMuxconfig(const QStringList& arguments, QStringList prefix = {})
{
    QProcess process;
    prefix << QStringLiteral(MUX_CONFIG_PROGRAM) << arguments;
    process.start(prefix.takeFirst(), prefix);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
}
