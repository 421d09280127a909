// SPDX-License-Identifier: MIT
#pragma once
#include <string>

namespace cli {

// Device texts are bytes as the device sent them, shown as Latin-1 (as the
// window shows them); output is UTF-8.
std::string Latin1ToUtf8(const std::string& bytes);

// The number of characters of a UTF-8 text, for aligning columns.
std::size_t Utf8Length(const std::string& text);

} // namespace cli
