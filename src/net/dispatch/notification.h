// SPDX-License-Identifier: MIT
// The triples that reach an endpoint's MessageProc, and the numbers the
// socket layer uses.
#pragma once

#include <cstdint>

namespace net {

// Identifies one dispatch endpoint; 0 = none. Never reused within a run.
using EndpointHandle = std::uint64_t;

inline constexpr uint32_t MsgTimer = 275;           // wParam: timer id
inline constexpr uint32_t MsgHostLookupDone = 1574; // wParam: request, lParam high: error
inline constexpr uint32_t MsgAddressLookupDone = 1575;
inline constexpr uint32_t MsgSocketEvent = 1024 + 552; // wParam: fd, lParam low: event bits

inline constexpr uint32_t SocketEventRead = 1;
inline constexpr uint32_t SocketEventWrite = 2;

inline constexpr uint32_t TimerId = 1;

struct Notification {
    uint32_t message = 0;
    uint32_t wParam = 0;
    uint32_t lParam = 0;
};

} // namespace net
