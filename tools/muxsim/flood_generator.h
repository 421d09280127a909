// SPDX-License-Identifier: MIT
// Random hostile datagrams for the flood soak: what a broken or malicious
// host on the segment might send to the workstation's port.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace muxsim {

struct FloodDatagram {
    std::string Payload;
    unsigned Source = 0; // network order
    std::string_view Kind;
};

class FloodGenerator {
public:
    static constexpr std::size_t kLargestPayload = 65507;

    // `sources` distinct source addresses from 10/8, 172.16/12 and 192.168/16,
    // never 192.168.1.0, .1 or .255, nor `avoid` (network order).
    FloodGenerator(unsigned sources, std::uint64_t seed, unsigned avoid);

    FloodDatagram Next();

    const std::vector<unsigned>& Sources() const { return sources_; }
    // Every kind Next() can return, for reports.
    static const std::vector<std::string_view>& Kinds();

private:
    std::string RandomBytes(std::size_t length);
    std::string RandomText(std::size_t length);
    std::string AbsurdField();
    std::string AbsurdReply();
    std::string StatusLikeReply();
    std::size_t Uniform(std::size_t low, std::size_t high);

    std::mt19937_64 random_;
    std::vector<unsigned> sources_;
};

} // namespace muxsim
