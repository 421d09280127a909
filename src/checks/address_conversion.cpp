// SPDX-License-Identifier: MIT
#include "checks/address_conversion.h"

#include <arpa/inet.h>
#include <string>

namespace checks {

uint32_t ConvertedAddress(std::string_view text)
{
    if (text.find('\0') != std::string_view::npos)
        return INADDR_NONE;
    return ntohl(inet_addr(std::string(text).c_str()));
}

} // namespace checks
