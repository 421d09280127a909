// SPDX-License-Identifier: MIT
// The device session on the real command socket, as the window has it, with
// what it reports recorded.
#pragma once
#include "protocol/device_session.h"
#include "protocol/socket_transport.h"

#include <string>
#include <vector>

struct ProtocolHarness {
    ProtocolHarness()
    {
        Session.SetProgressHandler([this](const protocol::Progress& step) { Progress.push_back(step); });
        Session.SetFailureHandler([this](int32_t code, const std::string&) { Failures.push_back(code); });
    }

    protocol::SocketTransport Transport;
    protocol::DeviceSession Session{Transport};
    std::vector<protocol::Progress> Progress;
    std::vector<int32_t> Failures;
};
