// SPDX-License-Identifier: MIT
// MAC addresses as devices and people write them, compared by value:
// - the devices' own form, six decimal numbers with dots, plain or padded
//   (0.14.198.74.16.1, 000.014.198.074.016.001);
// - hexadecimal in any case with ":" or "-" (00:0e:c6:4a:10:01,
//   00-0E-C6-4A-10-01), twelve digits (000EC64A1001), or three dotted groups
//   of four (000e.c64a.1001).
// Six dotted groups of decimal digits are read as decimal, the devices'
// form; six dotted groups of two hexadecimal digits with a letter among
// them, as hexadecimal. One canonical form is printed beside the device's
// own text: upper case, colons (00:0E:C6:4A:10:01).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace checks {

// The canonical form of a MAC text, or nothing when it is no MAC spelling.
std::optional<std::string> CanonicalMac(std::string_view text);

// For six dotted groups all two digits long that read as two different MAC
// addresses in decimal and in hexadecimal (00.10.20.30.40.50): why a plan
// cannot take it, and how to write each meaning unambiguously. A device's
// own text is never refused by this: the change matches it exactly first.
std::optional<std::string> AmbiguousMacRefusal(std::string_view text);

// What MAC texts are compared by: the canonical form, or for a text that is
// no MAC spelling the text itself (marked, so it never equals a canonical form).
std::string MacKey(std::string_view text);

// Whether two MAC texts name one device: equal values, or, when either is no
// MAC spelling, equal texts.
bool SameMac(std::string_view a, std::string_view b);

} // namespace checks
