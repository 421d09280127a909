// SPDX-License-Identifier: MIT
#include "cli/text_bytes.h"

namespace cli {

std::size_t Utf8Length(const std::string& text)
{
    std::size_t length = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++length;
    return length;
}

} // namespace cli
