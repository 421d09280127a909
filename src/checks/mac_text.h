// SPDX-License-Identifier: MIT
// MAC addresses as people write them: any case, with ":", "-" or "." or
// without separators (00:0e:c6:4a:10:03, 00-0E-C6-4A-10-03, 000e.c64a.1003,
// 000EC64A1003). One canonical form is kept and printed:
// upper case, colons: 00:0E:C6:4A:10:03.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace checks {

// Nothing unless the text is twelve hexadecimal digits, either unseparated
// or in six groups of two or three groups of four, all with one separator.
std::optional<std::string> CanonicalMac(std::string_view text);

// Whether two MAC texts name one device: equal canonical forms, or, when
// either is no MAC spelling, equal texts.
bool SameMac(const std::string& a, const std::string& b);

} // namespace checks
