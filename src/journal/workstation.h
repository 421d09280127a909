// SPDX-License-Identifier: MIT
// Who changed a device, where and when, for the journal.
#pragma once
#include <ctime>
#include <string>

namespace journal {

// The user's login name (from the password database, else $USER, else the
// user id).
std::string UserName();

// This workstation's host name.
std::string HostName();

// `when` in local time as ISO 8601 with its zone offset:
// "2024-05-06T14:03:07+02:00".
std::string LocalTimeText(std::time_t when);

// One per program run, the same for every change it makes:
// "20240506-140307-4242" (its start time and process id).
const std::string& RunId();

// The platform's parts: `when` in local time with the zone's offset from
// UTC, and this process's id.
std::tm LocalTime(std::time_t when, long& offsetSeconds);
long ProcessId();

} // namespace journal
