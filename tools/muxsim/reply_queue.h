// SPDX-License-Identifier: MIT
// Replies held back by a delay fault, in the order they fall due.
#pragma once

#include <chrono>
#include <cstdint>
#include <netinet/in.h>
#include <optional>
#include <queue>
#include <string>
#include <vector>

namespace muxsim {

using Clock = std::chrono::steady_clock;

struct DelayedReply {
    Clock::time_point Due;
    std::uint64_t Order = 0; // keeps replies due at the same moment in sending order
    std::size_t Device = 0;
    unsigned From = 0; // network order
    sockaddr_in To{};
    int Interface = 0; // 0: as the routes say
    std::string Payload;
};

class ReplyQueue {
public:
    void Push(DelayedReply reply);
    std::optional<Clock::time_point> NextDue() const;
    // Removes and returns the earliest reply when it is due at `now`.
    std::optional<DelayedReply> PopDue(Clock::time_point now);
    std::size_t Size() const { return queue_.size(); }

private:
    struct Later {
        bool operator()(const DelayedReply& a, const DelayedReply& b) const
        {
            return a.Due != b.Due ? a.Due > b.Due : a.Order > b.Order;
        }
    };
    std::priority_queue<DelayedReply, std::vector<DelayedReply>, Later> queue_;
    std::uint64_t nextOrder_ = 0;
};

} // namespace muxsim
