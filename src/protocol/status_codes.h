// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <string>

namespace protocol {

// Outcome of one request. 100 is the character "d": a request is pending.
inline constexpr uint8_t kStatusOk = 0;
inline constexpr uint8_t kStatusBadCommand = 1;    // reply "C"
inline constexpr uint8_t kStatusInternalError = 2; // reply "F"
inline constexpr uint8_t kStatusAccessDenied = 3;  // reply "D"
inline constexpr uint8_t kStatusNoReply = 4;       // reply timer fired, or a discovery reply without "A"
inline constexpr uint8_t kStatusNotSent = 5;
inline constexpr uint8_t kStatusPending = 100;

// The kind of reply the next datagram is read as.
inline constexpr uint8_t kReplyNone = 0;
inline constexpr uint8_t kReplyDiscovery = 1;
inline constexpr uint8_t kReplyAcknowledgement = 2;
inline constexpr uint8_t kReplyValue = 3;

// The operator's wording of a status; empty for success.
std::string StatusText(uint32_t code);

// The status an acknowledgement's first letter stands for, or kStatusPending
// when the letter is none of A, C, F, D (or the text is empty).
uint8_t StatusOfReplyLetter(const std::string& text);

} // namespace protocol
