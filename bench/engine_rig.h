// SPDX-License-Identifier: MIT
// The device engine put together as the window puts it: the command socket
// on Qt's event loop (SocketTransport, or a benchmark's subclass that watches
// it) and the session over it; a socket failure goes to stderr.
#pragma once
#include "protocol/device_session.h"
#include "protocol/socket_transport.h"

#include <cstdio>
#include <string>

template <class TransportType = protocol::SocketTransport> struct EngineRig {
    EngineRig()
    {
        Session.SetFailureHandler([](int32_t code, const std::string& description) {
            std::fprintf(stderr, "socket failure %d: %s\n", static_cast<int>(code), description.c_str());
        });
    }

    TransportType Transport;
    protocol::DeviceSession Session{Transport};
};
