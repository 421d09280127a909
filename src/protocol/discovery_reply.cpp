// SPDX-License-Identifier: MIT
#include "protocol/discovery_reply.h"

namespace protocol {

namespace {

// Takes characters from pos up to the next "/" or the end; leaves pos just
// past that "/" (or at the end).
std::string TakeField(const std::string& text, std::string::size_type& pos)
{
    if (pos >= text.size())
        return {};
    const auto slash = text.find('/', pos);
    const auto end = slash == std::string::npos ? text.size() : slash;
    std::string field = text.substr(pos, end - pos);
    pos = slash == std::string::npos ? text.size() : slash + 1;
    return field;
}

} // namespace

DiscoveryReply SplitDiscoveryReply(const std::string& text)
{
    DiscoveryReply reply;
    std::string::size_type pos = 1;
    reply.Mac = TakeField(text, pos);
    reply.Port = TakeField(text, pos);
    reply.Flags = TakeField(text, pos);
    return reply;
}

bool HasFlagE(const std::string& flags) { return flags.size() >= 3 && flags[2] == 'E'; }

} // namespace protocol
