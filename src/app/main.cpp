// SPDX-License-Identifier: MIT
// muxconfig: finds the LAN multiplexers on the segment and gives one of them
// a new IP address and subnet mask.
#include "app/main_window.h"
#include "app/window_messages.h"
#include "checks/interface_choice.h"
#include "cli/exit_status.h"
#include "cli/run.h"
#include "net/socket_layer.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <cstdio>
#include <cstdlib>

namespace {

// The names given with --interface; --help and --version end the program
// here. A command line that is not understood ends it with status 2.
std::vector<std::string> InterfaceNames(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Finds the LAN multiplexers and sets their IP address and mask."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption interfaceOption(
        QStringLiteral("interface"),
        QStringLiteral("Use only network interface <name> (repeatable). Default: every interface that is up and "
                       "can broadcast."),
        QStringLiteral("name"));
    parser.addOption(interfaceOption);
    if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty()) {
        const QString error = parser.errorText().isEmpty() ? QStringLiteral("unexpected argument") : parser.errorText();
        std::fprintf(stderr, "muxconfig: %s\n", qPrintable(error));
        std::exit(cli::kExitUsage);
    }
    if (parser.isSet(helpOption))
        parser.showHelp(0);
    if (parser.isSet(versionOption))
        parser.showVersion();
    std::vector<std::string> names;
    for (const QString& name : parser.values(interfaceOption))
        names.push_back(name.toStdString());
    return names;
}

} // namespace

int main(int argc, char** argv)
{
    if (cli::IsCommandLineMode(argc, argv))
        return cli::Run(argc, argv); // headless: list, set, apply
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("muxconfig"));
    QApplication::setApplicationVersion(QStringLiteral(MUX_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("muxconfig"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("muxconfig")));

    const checks::InterfaceChoice interfaces = checks::ChooseInterfaces(InterfaceNames(QApplication::arguments()));
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
