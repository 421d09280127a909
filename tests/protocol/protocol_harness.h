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
        session.SetProgressHandler([this](const protocol::Progress& step) { progress.push_back(step); });
        session.SetFailureHandler([this](int32_t code, const std::string&) { failures.push_back(code); });
    }

    protocol::SocketTransport transport;
    protocol::DeviceSession session{transport};
    std::vector<protocol::Progress> progress;
    std::vector<int32_t> failures;
};
