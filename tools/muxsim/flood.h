// SPDX-License-Identifier: MIT
// Flood mode: random datagrams to one target at a steady rate for a bounded
// time, from many source addresses, with counts for the report.
#pragma once

#include "flood_generator.h"
#include "reply_queue.h"
#include "udp_socket.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>

namespace muxsim {

struct FloodSettings {
    sockaddr_in Target{};
    double Rate = 1000; // datagrams per second
    std::chrono::milliseconds Duration{10000};
    std::uint64_t Count = 0; // 0: no limit but the duration
    unsigned Sources = 300;
    unsigned short Port = 0;
    std::uint64_t Seed = 1;
};

// "IP:PORT" of a private-range or loopback address; throws std::runtime_error.
sockaddr_in ParseFloodTarget(const std::string& text);

class Flood {
public:
    Flood(const FloodSettings& settings, Clock::time_point start);

    int Descriptor() const { return socket_.Descriptor(); }
    // Discards whatever reaches the flood's own socket.
    void Drain();
    // Sends every datagram due by `now` (a bounded burst per call).
    void SendDue(Clock::time_point now);
    bool Finished(Clock::time_point now) const;
    std::optional<Clock::time_point> NextDue(Clock::time_point now) const;
    nlohmann::ordered_json Summary(Clock::time_point now) const;

private:
    std::uint64_t DueBy(Clock::time_point now) const;

    FloodSettings settings_;
    Clock::time_point start_;
    Clock::time_point end_;
    UdpSocket socket_;
    FloodGenerator generator_;
    std::uint64_t sent_ = 0;
    std::uint64_t bytes_ = 0;
    std::uint64_t failed_ = 0;
    std::uint64_t drained_ = 0;
    std::map<std::string, std::uint64_t> errors_;
    std::map<std::string, std::uint64_t, std::less<>> kinds_;
};

} // namespace muxsim
