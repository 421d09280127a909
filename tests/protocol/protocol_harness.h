// SPDX-License-Identifier: MIT
// The protocol over its own command socket and reply timer, as the main
// window owns them, with a recording list and message window.
#pragma once
#include "recording_views.h"

#include "net/socket/udp_socket.h"
#include "protocol/device_protocol.h"

#include <QTimer>

struct ProtocolHarness {
    ~ProtocolHarness() { socket.Terminate(); }

    net::TUDPSocket socket;
    QTimer timeout;
    RecordingListView list;
    RecordingMessages messages;
    protocol::DeviceProtocol protocol{socket, timeout, list, messages};
};
