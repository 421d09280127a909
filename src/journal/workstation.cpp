// SPDX-License-Identifier: MIT
#include "journal/workstation.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace journal {

std::string UserName()
{
    if (const passwd* entry = ::getpwuid(::geteuid()); entry != nullptr && entry->pw_name != nullptr)
        return entry->pw_name;
    if (const char* user = std::getenv("USER"); user != nullptr && user[0] != '\0')
        return user;
    return std::to_string(::geteuid());
}

std::string HostName()
{
    std::array<char, 256> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0)
        return {};
    return name.data();
}

std::string LocalTimeText(std::time_t when)
{
    std::tm local{};
    ::localtime_r(&when, &local);
    std::array<char, 32> text{};
    std::strftime(text.data(), text.size(), "%Y-%m-%dT%H:%M:%S", &local);
    // Zone offsets stay within a day, so hours have two digits.
    const int offset = int(local.tm_gmtoff / 60) % (24 * 60);
    const int minutes = offset < 0 ? -offset : offset;
    std::array<char, 16> zone{};
    std::snprintf(zone.data(), zone.size(), "%c%02d:%02d", offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return std::string(text.data()) + zone.data();
}

const std::string& RunId()
{
    static const std::string id = [] {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        ::localtime_r(&now, &local);
        std::array<char, 32> text{};
        std::strftime(text.data(), text.size(), "%Y%m%d-%H%M%S", &local);
        return std::string(text.data()) + '-' + std::to_string(::getpid());
    }();
    return id;
}

} // namespace journal
