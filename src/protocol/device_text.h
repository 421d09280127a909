// SPDX-License-Identifier: MIT
#pragma once
#include <string>

namespace protocol {

// Device texts are bytes as the device sent them, read as Latin-1 (as the
// window shows them); every text the program writes is UTF-8.
std::string Latin1ToUtf8(const std::string& bytes);

} // namespace protocol
