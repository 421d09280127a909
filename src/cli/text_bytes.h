// SPDX-License-Identifier: MIT
#pragma once
#include "protocol/device_text.h"

#include <string>

namespace cli {

using protocol::Latin1ToUtf8;

// The number of characters of a UTF-8 text, for aligning columns.
std::size_t Utf8Length(const std::string& text);

} // namespace cli
