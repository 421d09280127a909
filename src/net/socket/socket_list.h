// SPDX-License-Identifier: MIT
// The registry of live sockets, guarded by its own lock (held only while a
// socket is added or removed, or the registry is inspected).
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

namespace net {

class ASocket;

class TSocketList {
public:
    void Add(ASocket* socket);
    void Remove(ASocket* socket);
    bool Contains(const ASocket* socket) const;
    std::size_t Count() const;

private:
    mutable std::mutex lock_;
    std::vector<ASocket*> sockets_;
};

} // namespace net
