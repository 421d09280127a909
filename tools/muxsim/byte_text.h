// SPDX-License-Identifier: MIT
// Datagram payloads are bytes, JSON strings are Unicode text. A byte b travels
// as the code point U+00bb (Latin-1), so any payload survives a trip through a
// JSON string exactly; hex is offered beside it for readers that want bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace muxsim {

std::string BytesToUtf8(std::string_view bytes);
// Fails on invalid UTF-8 and on code points above U+00FF.
std::optional<std::string> Utf8ToBytes(std::string_view utf8);

std::string ToHex(std::string_view bytes);
std::optional<std::string> FromHex(std::string_view hex);

// Strict dotted-decimal IPv4 text ("10.0.0.1"); the value is in network order.
std::optional<unsigned> ParseIPv4(std::string_view text);
std::string FormatIPv4(unsigned networkOrder);

// "number text" of an errno value, as every socket failure is reported.
std::string ErrnoText(int error);

} // namespace muxsim
