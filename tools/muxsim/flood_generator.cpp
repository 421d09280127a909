// SPDX-License-Identifier: MIT
#include "flood_generator.h"

#include <arpa/inet.h>
#include <array>
#include <set>

namespace muxsim {
namespace {

constexpr std::string_view kEmpty = "empty";
constexpr std::string_view kShortBinary = "short_binary";
constexpr std::string_view kAnyBinary = "any_length_binary";
constexpr std::string_view kAbsurdReply = "absurd_discovery_reply";
constexpr std::string_view kStatusReply = "status_reply";
constexpr std::string_view kOversized = "oversized_reply";
constexpr std::string_view kText = "text";

struct Weighted {
    std::string_view Kind;
    unsigned Weight;
};

// Mostly small datagrams, so a high rate stays cheap for the sender; a few
// of any length up to the largest a UDP datagram can carry.
constexpr std::array<Weighted, 7> kMix = {{
    {kEmpty, 10},
    {kShortBinary, 20},
    {kAnyBinary, 4},
    {kAbsurdReply, 30},
    {kStatusReply, 20},
    {kOversized, 4},
    {kText, 12},
}};

// Head then tail, built by appending: GCC 12 at -O3 misjudges the
// `"literal" + std::string` form as an overlapping copy (-Wrestrict).
std::string Prefixed(std::string_view head, std::string_view tail)
{
    std::string text;
    text.reserve(head.size() + tail.size());
    text.append(head);
    text.append(tail);
    return text;
}

} // namespace

const std::vector<std::string_view>& FloodGenerator::Kinds()
{
    static const std::vector<std::string_view> kinds = [] {
        std::vector<std::string_view> all;
        for (const auto& entry : kMix)
            all.push_back(entry.Kind);
        return all;
    }();
    return kinds;
}

FloodGenerator::FloodGenerator(unsigned sources, std::uint64_t seed, unsigned avoid) : random_(seed)
{
    const std::set<unsigned> excluded = {inet_addr("192.168.1.0"), inet_addr("192.168.1.1"), inet_addr("192.168.1.255"),
                                         avoid};
    std::set<unsigned> chosen;
    while (chosen.size() < sources) {
        unsigned host = 0; // host order
        switch (Uniform(0, 2)) {
        case 0: host = (10u << 24) | static_cast<unsigned>(Uniform(0, 0xFFFFFF)); break;
        case 1: host = (172u << 24) | (16u << 16) | static_cast<unsigned>(Uniform(0, 0xFFFFF)); break;
        default: host = (192u << 24) | (168u << 16) | static_cast<unsigned>(Uniform(0, 0xFFFF)); break;
        }
        const unsigned last = host & 0xFF;
        const unsigned address = htonl(host);
        if (last == 0 || last == 255 || excluded.contains(address))
            continue;
        chosen.insert(address);
    }
    sources_.assign(chosen.begin(), chosen.end());
}

std::size_t FloodGenerator::Uniform(std::size_t low, std::size_t high)
{
    return std::uniform_int_distribution<std::size_t>(low, high)(random_);
}

std::string FloodGenerator::RandomBytes(std::size_t length)
{
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; i += 8) {
        const std::uint64_t chunk = random_();
        for (std::size_t k = 0; k < 8 && i + k < length; ++k)
            bytes[i + k] = static_cast<char>(chunk >> (8 * k));
    }
    return bytes;
}

std::string FloodGenerator::RandomText(std::size_t length)
{
    std::string text(length, ' ');
    for (char& c : text)
        c = static_cast<char>(Uniform(0x20, 0x7E));
    return text;
}

std::string FloodGenerator::AbsurdField()
{
    switch (Uniform(0, 9)) {
    case 0: return "";
    case 1: return RandomText(Uniform(1, 2000));
    case 2: return RandomBytes(Uniform(1, 40));
    case 3: return "99999999999999999999999";
    case 4: return "-1";
    case 5: return std::string(Uniform(1, 50), 'E');
    case 6: return "00E";
    case 7: return " 1001 ";
    case 8: return Prefixed("0x", RandomText(6));
    default: return std::to_string(Uniform(0, 70000));
    }
}

std::string FloodGenerator::AbsurdReply()
{
    // "A" + MAC "/" port "/" flags, with fields a device would never send,
    // and sometimes too many or too few separators.
    std::string reply = Prefixed("A", AbsurdField());
    const std::size_t fields = Uniform(0, 6);
    for (std::size_t i = 0; i < fields; ++i) {
        reply += '/';
        reply += AbsurdField();
    }
    return reply.substr(0, kLargestPayload);
}

std::string FloodGenerator::StatusLikeReply()
{
    static const std::array<std::string_view, 12> fixed = {"A",  "C",  "D",   "F", "a", "Z", "A255.255.255.0",
                                                           "A0", "A/", "A//", "E", "X"};
    switch (Uniform(0, 3)) {
    case 0: return Prefixed("A", std::string(Uniform(1, 4000), '9'));
    case 1: {
        const char command = "ACDF"[Uniform(0, 3)];
        return Prefixed(std::string_view(&command, 1), RandomBytes(Uniform(1, 30)));
    }
    default: return std::string(fixed[Uniform(0, fixed.size() - 1)]);
    }
}

FloodDatagram FloodGenerator::Next()
{
    unsigned total = 0;
    for (const auto& entry : kMix)
        total += entry.Weight;
    unsigned pick = static_cast<unsigned>(Uniform(0, total - 1));
    std::string_view kind = kMix.back().Kind;
    for (const auto& entry : kMix) {
        if (pick < entry.Weight) {
            kind = entry.Kind;
            break;
        }
        pick -= entry.Weight;
    }
    FloodDatagram datagram;
    datagram.Kind = kind;
    datagram.Source = sources_[Uniform(0, sources_.size() - 1)];
    if (kind == kShortBinary)
        datagram.Payload = RandomBytes(Uniform(1, 64));
    else if (kind == kAnyBinary)
        datagram.Payload = RandomBytes(Uniform(0, kLargestPayload));
    else if (kind == kAbsurdReply)
        datagram.Payload = AbsurdReply();
    else if (kind == kStatusReply)
        datagram.Payload = StatusLikeReply();
    else if (kind == kOversized)
        datagram.Payload = Prefixed("A", RandomText(Uniform(4097, kLargestPayload - 1)));
    else if (kind == kText)
        datagram.Payload = RandomText(Uniform(1, 200));
    return datagram;
}

} // namespace muxsim
