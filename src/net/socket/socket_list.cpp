// SPDX-License-Identifier: MIT
#include "net/socket/socket_list.h"

#include <algorithm>

namespace net {

void TSocketList::Add(ASocket* socket)
{
    std::lock_guard guard(lock_);
    sockets_.push_back(socket);
}

void TSocketList::Remove(ASocket* socket)
{
    std::lock_guard guard(lock_);
    sockets_.erase(std::remove(sockets_.begin(), sockets_.end(), socket), sockets_.end());
}

bool TSocketList::Contains(const ASocket* socket) const
{
    std::lock_guard guard(lock_);
    return std::find(sockets_.begin(), sockets_.end(), socket) != sockets_.end();
}

std::size_t TSocketList::Count() const
{
    std::lock_guard guard(lock_);
    return sockets_.size();
}

} // namespace net
