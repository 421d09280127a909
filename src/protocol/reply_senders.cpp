// SPDX-License-Identifier: MIT
#include "protocol/reply_senders.h"

#include <algorithm>

namespace protocol {

bool ReplySenders::Accepts(const std::string& sender) const
{
    return addresses_.empty() || std::find(addresses_.begin(), addresses_.end(), sender) != addresses_.end();
}

} // namespace protocol
