// SPDX-License-Identifier: MIT
#include "cli/run.h"

#include "checks/interface_choice.h"
#include "cli/check_command.h"
#include "cli/command_line.h"
#include "cli/exit_status.h"
#include "cli/history_command.h"
#include "cli/network_failure.h"
#include "cli/qt_translation.h"
#include "cli/subcommands.h"
#include "cli/system_console.h"
#include "cli/terminal_text.h"
#include "net/socket_layer.h"
#include "protocol/socket_error_text.h"

#include <QCoreApplication>
#include <cstdio>

namespace cli {

namespace {

int RunSubcommand(const Options& options)
{
    try {
        if (options.Command == QLatin1String("list"))
            return RunList(options);
        if (options.Command == QLatin1String("set"))
            return RunSet(options);
        return RunApply(options);
    } catch (const NetworkFailure& failure) {
        // The window's "UWAGA" text, one line per line.
        QString text = SocketErrorBoxText(failure.Code, QString::fromStdString(failure.Description));
        text.replace(QChar(13), QChar(10));
        std::fprintf(stderr, "\nUWAGA\n%s\n", text.trimmed().toUtf8().constData());
        return kExitFailure;
    } catch (const std::exception& error) {
        // Nothing the socket reported: said as it is, never an abort.
        std::fprintf(stderr, "muxconfig: %s\n", error.what());
        return kExitFailure;
    }
}

} // namespace

int Run(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    LoadQtTranslation(application);
    const ParsedCommandLine parsed = ParseCommandLine(QCoreApplication::arguments(), Face::CommandLine);
    if (!parsed.Options)
        return ShowParsedText(parsed);
    Options options = *parsed.Options;
    if (options.Command == QLatin1String("history"))
        return RunHistory(options); // a file only: no interfaces, no socket layer
    if (options.Command == QLatin1String("check"))
        return RunCheck(options); // no interfaces, no sockets
    std::vector<std::string> names;
    for (const QString& name : options.Interfaces)
        names.push_back(name.toStdString());
    const checks::InterfaceChoice choice = checks::ChooseInterfaces(names);
    if (!choice.Selection) {
        std::fprintf(stderr, "muxconfig: %s\n", ShownText(choice.Error).c_str()); // names as typed, escapes too
        return kExitUsage;
    }
    options.Selection = *choice.Selection;
    PrepareConsole();
    net::SocketLayer socketLayer;
    return RunSubcommand(options);
}

} // namespace cli
