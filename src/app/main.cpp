// SPDX-License-Identifier: MIT
// muxconfig: finds the LAN multiplexers on the segment and gives one of them
// a new IP address and subnet mask.
#include "app/main_window.h"
#include "app/window_messages.h"
#include "checks/interface_choice.h"
#include "cli/command_line.h"
#include "cli/exit_status.h"
#include "cli/qt_translation.h"
#include "cli/run.h"
#include "net/socket_layer.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>

int main(int argc, char** argv)
{
    if (cli::IsCommandLineMode(argc, argv))
        return cli::Run(argc, argv); // headless: list, set, apply
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("muxconfig"));
    QApplication::setApplicationVersion(QStringLiteral(MUX_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("muxconfig"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("muxconfig")));

    cli::LoadQtTranslation(application);

    // The command line's parser, for the window's --interface.
    const cli::ParsedCommandLine parsed = cli::ParseCommandLine(QApplication::arguments(), cli::Face::Window);
    if (!parsed.Options)
        return cli::ShowParsedText(parsed);
    std::vector<std::string> names;
    for (const QString& name : parsed.Options->Interfaces)
        names.push_back(name.toStdString());
    const checks::InterfaceChoice interfaces = checks::ChooseInterfaces(names);
    if (!interfaces.Selection) {
        std::fprintf(stderr, "muxconfig: %s\n", interfaces.Error.c_str());
        return cli::kExitUsage;
    }
    net::SocketLayer socketLayer;

    app::DialogWindowMessages messages;
    app::TForm1 form(messages, *interfaces.Selection);
    form.show();
    return application.exec();
}
