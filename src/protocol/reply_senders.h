// SPDX-License-Identifier: MIT
#pragma once
#include <string>
#include <vector>

namespace protocol {

// Whose datagrams count as replies. Discovery takes every sender; the
// per-device read and a change take only the device's own addresses, so a
// late discovery reply, another workstation or a flood cannot answer for the
// device. Two devices sharing one address still cannot be told apart.
class ReplySenders {
public:
    bool Accepts(const std::string& sender) const;
    void AcceptAny() { addresses_.clear(); }
    void AcceptOnly(const std::string& address) { addresses_.assign(1, address); }
    void AcceptAlso(const std::string& address) { addresses_.push_back(address); }
    const std::vector<std::string>& Addresses() const { return addresses_; }

private:
    std::vector<std::string> addresses_; // empty: any sender
};

// Limits the senders for one operation and lifts the limit when it ends,
// also when a send raises.
class ReplySendersScope {
public:
    ReplySendersScope(ReplySenders& senders, const std::string& address) : senders_(senders)
    {
        senders_.AcceptOnly(address);
    }
    ~ReplySendersScope() { senders_.AcceptAny(); }
    ReplySendersScope(const ReplySendersScope&) = delete;
    ReplySendersScope& operator=(const ReplySendersScope&) = delete;

private:
    ReplySenders& senders_;
};

} // namespace protocol
