// SPDX-License-Identifier: MIT
#include "journal/workstation.h"

#include <array>
#include <cstdio>

namespace journal {

std::string LocalTimeText(std::time_t when)
{
    long offsetSeconds = 0;
    const std::tm local = LocalTime(when, offsetSeconds);
    std::array<char, 32> text{};
    std::strftime(text.data(), text.size(), "%Y-%m-%dT%H:%M:%S", &local);
    // Zone offsets stay within a day, so hours have two digits.
    const int offset = int(offsetSeconds / 60) % (24 * 60);
    const int minutes = offset < 0 ? -offset : offset;
    std::array<char, 16> zone{};
    std::snprintf(zone.data(), zone.size(), "%c%02d:%02d", offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return std::string(text.data()) + zone.data();
}

const std::string& RunId()
{
    static const std::string id = [] {
        const std::time_t now = std::time(nullptr);
        long offsetSeconds = 0;
        const std::tm local = LocalTime(now, offsetSeconds);
        std::array<char, 32> text{};
        std::strftime(text.data(), text.size(), "%Y%m%d-%H%M%S", &local);
        return std::string(text.data()) + '-' + std::to_string(ProcessId());
    }();
    return id;
}

} // namespace journal
