// SPDX-License-Identifier: MIT
#pragma once
#include <string>

// Judges whether a dotted IPv4 text may be given to a multiplexer as its own
// address. Classful: the subnet mask plays no part. The text is converted
// with the platform's inet_addr (octal and hexadecimal parts, short forms).
bool IsAcceptableDeviceAddress(const std::string& text);
