// SPDX-License-Identifier: MIT
#include "flood.h"

#include "byte_text.h"

#include <arpa/inet.h>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace muxsim {
namespace {

constexpr std::uint64_t kBurst = 2000;

bool IsPrivateOrLoopback(unsigned networkOrder)
{
    const unsigned host = ntohl(networkOrder);
    return (host >> 24) == 10 || (host >> 24) == 127 || (host >> 20) == ((172u << 4) | 1u) ||
        (host >> 16) == ((192u << 8) | 168u);
}

} // namespace

sockaddr_in ParseFloodTarget(const std::string& text)
{
    const auto colon = text.rfind(':');
    if (colon == std::string::npos)
        throw std::runtime_error("--target needs IP:PORT, not \"" + text + "\"");
    const auto address = ParseIPv4(std::string_view(text).substr(0, colon));
    unsigned port = 0;
    const char* digits = text.data() + colon + 1;
    const auto [end, error] = std::from_chars(digits, text.data() + text.size(), port);
    if (!address || error != std::errc() || end != text.data() + text.size() || port == 0 || port > 65535)
        throw std::runtime_error("--target needs IP:PORT, not \"" + text + "\"");
    // The private LAN uses these ranges only; anything else is a mistake.
    if (!IsPrivateOrLoopback(*address))
        throw std::runtime_error("--target must be a private-range or loopback address");
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = *address;
    target.sin_port = htons(static_cast<unsigned short>(port));
    return target;
}

Flood::Flood(const FloodSettings& settings, Clock::time_point start)
    : settings_(settings),
      start_(start),
      end_(start + settings.Duration),
      socket_(settings.Port),
      generator_(settings.Sources, settings.Seed, settings.Target.sin_addr.s_addr)
{
    for (std::string_view kind : FloodGenerator::Kinds())
        kinds_.emplace(kind, 0);
}

void Flood::Drain()
{
    for (int i = 0; i < 256; ++i) {
        int error = 0;
        if (!socket_.Receive(error) && error == 0)
            return;
        ++drained_;
    }
}

std::uint64_t Flood::DueBy(Clock::time_point now) const
{
    const double seconds = std::chrono::duration<double>(std::min(now, end_) - start_).count();
    auto due = static_cast<std::uint64_t>(std::floor(seconds * settings_.Rate)) + 1;
    if (settings_.Count != 0)
        due = std::min(due, settings_.Count);
    return due;
}

bool Flood::Finished(Clock::time_point now) const
{
    return now >= end_ || (settings_.Count != 0 && sent_ + failed_ >= settings_.Count);
}

void Flood::SendDue(Clock::time_point now)
{
    if (Finished(now))
        return;
    const std::uint64_t due = DueBy(now);
    for (std::uint64_t burst = 0; sent_ + failed_ < due && burst < kBurst; ++burst) {
        const FloodDatagram datagram = generator_.Next();
        ++kinds_.find(datagram.Kind)->second;
        if (const int error = socket_.SendFrom(datagram.Source, settings_.Target, datagram.Payload); error != 0) {
            ++failed_;
            ++errors_[ErrnoText(error)];
        } else {
            ++sent_;
            bytes_ += datagram.Payload.size();
        }
    }
}

std::optional<Clock::time_point> Flood::NextDue(Clock::time_point now) const
{
    if (Finished(now))
        return std::nullopt;
    if (sent_ + failed_ < DueBy(now))
        return now;
    const auto next = start_ +
        std::chrono::duration_cast<Clock::duration>(
                          std::chrono::duration<double>(static_cast<double>(sent_ + failed_) / settings_.Rate));
    return std::min(next, end_);
}

nlohmann::ordered_json Flood::Summary(Clock::time_point now) const
{
    nlohmann::ordered_json errors = nlohmann::ordered_json::object();
    for (const auto& [text, count] : errors_)
        errors[text] = count;
    nlohmann::ordered_json kinds = nlohmann::ordered_json::object();
    for (const auto& [kind, count] : kinds_)
        kinds[kind] = count;
    const double elapsed = std::chrono::duration<double, std::milli>(std::min(now, end_) - start_).count();
    return {{"event", "flood_summary"},
            {"target", FormatEndpoint(settings_.Target)},
            {"rate", settings_.Rate},
            {"duration_ms", settings_.Duration.count()},
            {"elapsed_ms", elapsed},
            {"sent", sent_},
            {"bytes", bytes_},
            {"failed", failed_},
            {"errors", errors},
            {"kinds", kinds},
            {"sources", generator_.Sources().size()},
            {"drained", drained_},
            {"finished", Finished(now)}};
}

} // namespace muxsim
