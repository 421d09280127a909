// muxconfig: finds the LAN multiplexers on the segment and gives one of them
// a new IP address and subnet mask.
#include "app/main_window.h"
#include "app/window_messages.h"
#include "cli/run.h"
#include "net/socket_layer.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    if (cli::IsCommandLineMode(argc, argv))
        return cli::Run(argc, argv); // headless: list, set, apply
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("muxconfig"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("muxconfig")));
    net::SocketLayer socketLayer;

    DialogWindowMessages messages;
    TForm1 form(messages);
    form.show();
    return application.exec();
}
