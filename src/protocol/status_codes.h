// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <string>

namespace protocol {

// Outcome of one request: 0 success, 1 to 4 failures, 100 (the character
// "d") a request is pending. The one type every status travels in.
using Status = uint8_t;
inline constexpr Status kStatusOk = 0;
inline constexpr Status kStatusBadCommand = 1;    // reply "C"
inline constexpr Status kStatusInternalError = 2; // reply "F"
inline constexpr Status kStatusAccessDenied = 3;  // reply "D"
inline constexpr Status kStatusNoReply = 4;       // reply timer fired, or a discovery reply without "A"
inline constexpr Status kStatusNotSent = 5;
inline constexpr Status kStatusPending = 100;

// The kind of reply the next datagram is read as.
inline constexpr uint8_t kReplyNone = 0;
inline constexpr uint8_t kReplyDiscovery = 1;
inline constexpr uint8_t kReplyAcknowledgement = 2;
inline constexpr uint8_t kReplyValue = 3;

// The operator's wording of a status; empty for success.
std::string StatusText(Status code);

// A stable English code of a failed status (bad_command, internal_error,
// access_denied, no_reply, not_sent; "other" for any other), for scripts.
const char* StatusCode(Status code);

// The status an acknowledgement's first letter stands for, or kStatusPending
// when the letter is none of A, C, F, D (or the text is empty).
Status StatusOfReplyLetter(const std::string& text);

} // namespace protocol
