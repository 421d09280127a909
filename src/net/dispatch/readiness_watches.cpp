// SPDX-License-Identifier: MIT
#include "net/dispatch/readiness_watches.h"

#include "net/dispatch/endpoint_router.h"

#include <QSocketNotifier>

namespace net {

struct ReadinessWatches::Entry {
    EndpointHandle endpoint = 0;
    uint64_t generation = 0;
    std::unique_ptr<QSocketNotifier> read;
    std::unique_ptr<QSocketNotifier> write;
    bool readPending = false;     // a read notification is queued or being handled
    bool readSincePosted = false; // the socket was read since it was posted
};

ReadinessWatches::ReadinessWatches(EndpointRouter& router) : router_(router) {}

ReadinessWatches::~ReadinessWatches() = default;

void ReadinessWatches::Watch(EndpointHandle endpoint, int fd, uint32_t events)
{
    Unwatch(fd);
    auto watch = std::make_unique<Entry>();
    watch->endpoint = endpoint;
    watch->generation = ++lastGeneration_;
    uint64_t generation = watch->generation;
    if (events & kSocketEventRead) {
        watch->read = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(watch->read.get(), &QSocketNotifier::activated, watch->read.get(),
                         [this, fd, generation] { OnReadable(fd, generation); });
    }
    if (events & kSocketEventWrite) {
        watch->write = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
        watch->write->setEnabled(false);
        QObject::connect(watch->write.get(), &QSocketNotifier::activated, watch->write.get(),
                         [this, fd, generation] { OnWritable(fd, generation); });
    }
    watches_[fd] = std::move(watch);
    if (events & kSocketEventWrite)
        router_.Post(endpoint, {kMsgSocketEvent, static_cast<uint32_t>(fd), kSocketEventWrite}, generation);
}

void ReadinessWatches::Unwatch(int fd) { watches_.erase(fd); }

void ReadinessWatches::DropEndpoint(EndpointHandle endpoint)
{
    for (auto it = watches_.begin(); it != watches_.end();) {
        if (it->second->endpoint == endpoint)
            it = watches_.erase(it);
        else
            ++it;
    }
}

ReadinessWatches::Entry* ReadinessWatches::Find(int fd, uint64_t generation) const
{
    auto it = watches_.find(fd);
    if (it == watches_.end() || it->second->generation != generation)
        return nullptr;
    return it->second.get();
}

bool ReadinessWatches::IsCurrent(int fd, uint64_t generation) const { return Find(fd, generation) != nullptr; }

void ReadinessWatches::RequestWriteNotification(int fd)
{
    auto it = watches_.find(fd);
    if (it != watches_.end() && it->second->write)
        it->second->write->setEnabled(true);
}

void ReadinessWatches::PostRead(int fd)
{
    auto it = watches_.find(fd);
    if (it == watches_.end())
        return;
    router_.Post(it->second->endpoint, {kMsgSocketEvent, static_cast<uint32_t>(fd), kSocketEventRead},
                 it->second->generation);
}

void ReadinessWatches::NoteReceive(int fd)
{
    auto it = watches_.find(fd);
    if (it == watches_.end() || !it->second->read)
        return;
    Entry& watch = *it->second;
    if (watch.readPending)
        watch.readSincePosted = true;
    else
        watch.read->setEnabled(true);
}

void ReadinessWatches::ReadDelivered(int fd, uint64_t generation)
{
    Entry* watch = Find(fd, generation);
    if (!watch || !watch->readPending)
        return;
    watch->readPending = false;
    if (watch->readSincePosted && watch->read)
        watch->read->setEnabled(true);
}

void ReadinessWatches::OnReadable(int fd, uint64_t generation)
{
    Entry* watch = Find(fd, generation);
    if (!watch)
        return;
    watch->read->setEnabled(false);
    watch->readPending = true;
    watch->readSincePosted = false;
    router_.Post(watch->endpoint, {kMsgSocketEvent, static_cast<uint32_t>(fd), kSocketEventRead}, generation);
}

void ReadinessWatches::OnWritable(int fd, uint64_t generation)
{
    Entry* watch = Find(fd, generation);
    if (!watch)
        return;
    watch->write->setEnabled(false);
    router_.Post(watch->endpoint, {kMsgSocketEvent, static_cast<uint32_t>(fd), kSocketEventWrite}, generation);
}

} // namespace net
