// SPDX-License-Identifier: MIT
#pragma once
#include <string>

namespace protocol {

// The fields of a discovery reply "A" MAC "/" port "/" flags ["/" ...].
// Each field runs to its first "/" or the end of the text; a field the text
// does not reach is empty; anything after a third "/" is ignored.
struct DiscoveryReply {
    std::string Mac;
    std::string Port;
    std::string Flags;
};

// Splits from the second character on; the first one (the marker) is not
// looked at. Bytes are kept as they came.
DiscoveryReply SplitDiscoveryReply(const std::string& text);

// The device is marked when the flags field has a third character "E".
bool HasFlagE(const std::string& flags);

} // namespace protocol
