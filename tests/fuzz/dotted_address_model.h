// SPDX-License-Identifier: MIT
// Independent restatements, written from the documented rules, that the fuzz
// targets hold the real code against.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace model {

// The classic dotted-address conversion (inet_aton/inet_addr on glibc):
// one to four parts separated by "."; a part starts with a digit and is
// decimal, octal after a leading "0" or hexadecimal after "0x"/"0X"; the
// parts before the last are one byte each and the last fills the remaining
// bytes (a, a.b with b 24 bits, a.b.c with c 16 bits, a.b.c.d). The text
// ends after the last part or at an ASCII blank, after which anything may
// follow. The text is read as a C string: a NUL ends it.
// Result: the address in host order, or nothing when the text is none.
std::optional<uint32_t> ParseDotted(std::string_view text);

// inet_addr: the network-order value, INADDR_NONE for a rejected text.
uint32_t InetAddr(std::string_view text);

// The one address form the configurator takes: exactly four parts of one
// to three decimal digits, each at most 255, joined by dots; nothing else.
std::optional<uint32_t> ParseStrictDotted(std::string_view text);

// The address rule in class terms on the strict form: class A, B or C, not
// the 127 network, host part neither all zeros nor all ones.
bool AcceptableDeviceAddress(std::string_view text);

// The section number: leading spaces, then an optional sign and decimal
// digits, or unsigned "$", "x", "X", "0x" or "0X" and hexadecimal digits,
// and nothing after the digits; it must fit a signed 32-bit integer.
std::optional<int32_t> SectionNumber(const QString& text);

// Dotted decimal of a host-order address.
std::string DottedDecimal(uint32_t hostOrder);

} // namespace model
