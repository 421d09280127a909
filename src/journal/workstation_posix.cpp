// SPDX-License-Identifier: MIT
#include "journal/workstation.h"

#include <array>
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

std::tm LocalTime(std::time_t when, long& offsetSeconds)
{
    std::tm local{};
    ::localtime_r(&when, &local);
    offsetSeconds = local.tm_gmtoff;
    return local;
}

long ProcessId() { return ::getpid(); }

} // namespace journal
