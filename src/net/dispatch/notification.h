// SPDX-License-Identifier: MIT
// The triples that reach an endpoint's MessageProc, and the numbers the
// socket layer uses.
#pragma once

#include <cstdint>

namespace net {

// Identifies one dispatch endpoint; 0 = none. Never reused within a run.
using EndpointHandle = std::uint64_t;

inline constexpr uint32_t kMsgTimer = 275;           // wParam: timer id
inline constexpr uint32_t kMsgHostLookupDone = 1574; // wParam: request, lParam high: error
inline constexpr uint32_t kMsgAddressLookupDone = 1575;
inline constexpr uint32_t kMsgSocketEvent = 1024 + 552; // wParam: fd, lParam low: event bits

inline constexpr uint32_t kSocketEventRead = 1;
inline constexpr uint32_t kSocketEventWrite = 2;

inline constexpr uint32_t kTimerId = 1;

struct Notification {
    uint32_t Message = 0;
    uint32_t WParam = 0;
    uint32_t LParam = 0;
};

} // namespace net
