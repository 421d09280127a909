// SPDX-License-Identifier: MIT
// Readiness watches on socket descriptors, turned into socket notifications
// (1576) for the endpoint that asked:
//  - read bit while the socket is readable. The read watch pauses while a
//    read notification is queued or being handled, and resumes after it
//    once the socket has been read (as WinSock re-enables FD_READ on a
//    receive), so an unread datagram never makes the loop spin.
//  - write bit once when the watch starts, and once more after each send
//    that met would-block, as soon as the socket is writable again.
// Each watch has a generation, so a notification still queued for a
// descriptor that was closed (and perhaps reused) is recognised as stale.
#pragma once

#include "net/dispatch/notification.h"

#include <cstdint>
#include <memory>
#include <unordered_map>

class QSocketNotifier;

namespace net {

class EndpointRouter;

class ReadinessWatches {
public:
    explicit ReadinessWatches(EndpointRouter& router);
    ~ReadinessWatches();

    void Watch(EndpointHandle endpoint, int fd, uint32_t events);
    // Must run before the descriptor is closed.
    void Unwatch(int fd);
    void DropEndpoint(EndpointHandle endpoint);

    void RequestWriteNotification(int fd);
    // Queues one more read notification for a watched descriptor (data the
    // socket holds itself, not the kernel).
    void PostRead(int fd);
    void NoteReceive(int fd);

    bool IsWatched(int fd) const { return watches_.count(fd) != 0; }
    bool IsCurrent(int fd, uint64_t generation) const;
    void ReadDelivered(int fd, uint64_t generation);

private:
    struct Entry;
    Entry* Find(int fd, uint64_t generation) const;
    void OnReadable(int fd, uint64_t generation);
    void OnWritable(int fd, uint64_t generation);

    EndpointRouter& router_;
    uint64_t lastGeneration_ = 0;
    std::unordered_map<int, std::unique_ptr<Entry>> watches_;
};

} // namespace net
