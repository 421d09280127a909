// SPDX-License-Identifier: MIT
#include "journal/windows_files.h"
#include "journal/workstation.h"

#include <QDateTime>
#include <array>

namespace journal {

std::string UserName()
{
    std::array<wchar_t, 257> name{};
    DWORD size = name.size();
    if (!GetUserNameW(name.data(), &size))
        return {};
    return Utf8Text(name.data());
}

std::string HostName()
{
    std::array<wchar_t, 256> name{};
    DWORD size = name.size();
    if (!GetComputerNameExW(ComputerNameDnsHostname, name.data(), &size))
        return {};
    return Utf8Text(name.data());
}

// The zone's offset at that moment (daylight saving time included), from Qt.
std::tm LocalTime(std::time_t when, long& offsetSeconds)
{
    std::tm local{};
    localtime_s(&local, &when);
    offsetSeconds = QDateTime::fromSecsSinceEpoch(when).offsetFromUtc();
    return local;
}

long ProcessId() { return static_cast<long>(GetCurrentProcessId()); }

} // namespace journal
