// muxconfig: finds the LAN multiplexers on the segment and gives one of them
// a new IP address and subnet mask.
#include "app/main_window.h"
#include "app/window_messages.h"
#include "net/socket_layer.h"
#include "protocol/device_protocol.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("muxconfig"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("muxconfig")));
    net::SocketLayer socketLayer;

    DialogWindowMessages messages;
    TForm1 form(messages);
    // The request state and the device table: one per process, for the whole run.
    protocol::DeviceProtocol deviceProtocol(form.CommandSocket(), form.ReplyTimer(), form, messages);
    form.AttachProtocol(deviceProtocol);
    form.show();
    return application.exec();
}
