// SPDX-License-Identifier: MIT
// A bare workstation-side UDP client for the simulator's own tests: broadcasts
// from port 1153 to 255.255.255.255:65535 and collects the answers. It talks
// plain sockets so that the simulator is checked on its own, not through the
// configurator's code.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct LanReply {
    std::string Payload;
    std::string From; // sender address, dotted decimal
    unsigned short Port = 0;
    std::chrono::steady_clock::time_point At;
};

class LanClient {
public:
    explicit LanClient(unsigned short localPort = 1153);
    ~LanClient();
    LanClient(const LanClient&) = delete;
    LanClient& operator=(const LanClient&) = delete;

    void Broadcast(std::string_view payload);
    void SendTo(std::string_view address, std::string_view payload);
    // The next answer within `timeout`, if any.
    std::optional<LanReply> Receive(std::chrono::milliseconds timeout);
    // Every answer arriving within `window`.
    std::vector<LanReply> Collect(std::chrono::milliseconds window);
    // Broadcast, then collect for `window`.
    std::vector<LanReply> Ask(std::string_view payload,
                              std::chrono::milliseconds window = std::chrono::milliseconds(300));

private:
    int fd_ = -1;
};
