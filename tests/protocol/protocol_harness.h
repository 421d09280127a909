// The protocol wired up as the main window wires it: a command socket and a
// reply timer whose events reach the protocol's handlers, plus recording
// list and message window.
#pragma once
#include "recording_views.h"

#include "net/udp_socket.h"
#include "protocol/device_protocol.h"

#include <QObject>
#include <QTimer>

struct ProtocolHarness {
    ProtocolHarness()
    {
        socket.SetLocalPort("1154");
        socket.SetBroadcastOption(true);
        socket.SetUseSendBuffer(false);
        socket.SetUseReceiveBuffer(false);
        socket.OnDataAvailable = [this](net::AUDPSocket&) {
            protocol.GniazdoTransmisjiRozkazowDoModuluDataAvailable();
        };
        QObject::connect(&timeout, &QTimer::timeout, [this] { protocol.TimeoutTimer(); });
    }
    ~ProtocolHarness() { socket.Terminate(); }

    net::TUDPSocket socket;
    QTimer timeout;
    RecordingListView list;
    RecordingMessages messages;
    protocol::DeviceProtocol protocol{socket, timeout, list, messages};
};
