// SPDX-License-Identifier: MIT
#include "net/dispatch/readiness_watches.h"

#include "net/dispatch/endpoint_router.h"

#include <QSocketNotifier>

namespace net {

struct ReadinessWatches::Entry {
    EndpointHandle Endpoint = 0;
    uint64_t Generation = 0;
    std::unique_ptr<QSocketNotifier> Read;
    std::unique_ptr<QSocketNotifier> Write;
    bool ReadPending = false;     // a read notification is queued or being handled
    bool ReadSincePosted = false; // the socket was read since it was posted
};

ReadinessWatches::ReadinessWatches(EndpointRouter& router) : router_(router) {}

ReadinessWatches::~ReadinessWatches() = default;

void ReadinessWatches::Watch(EndpointHandle endpoint, int fd, uint32_t events)
{
    Unwatch(fd);
    auto watch = std::make_unique<Entry>();
    watch->Endpoint = endpoint;
    watch->Generation = ++lastGeneration_;
    uint64_t generation = watch->Generation;
    if (events & kSocketEventRead) {
        watch->Read = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(watch->Read.get(), &QSocketNotifier::activated, watch->Read.get(),
                         [this, fd, generation] { OnReadable(fd, generation); });
    }
    if (events & kSocketEventWrite) {
        watch->Write = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
        watch->Write->setEnabled(false);
        QObject::connect(watch->Write.get(), &QSocketNotifier::activated, watch->Write.get(),
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
        if (it->second->Endpoint == endpoint)
            it = watches_.erase(it);
        else
            ++it;
    }
}

ReadinessWatches::Entry* ReadinessWatches::Find(int fd, uint64_t generation) const
{
    auto it = watches_.find(fd);
    if (it == watches_.end() || it->second->Generation != generation)
        return nullptr;
    return it->second.get();
}

bool ReadinessWatches::IsCurrent(int fd, uint64_t generation) const { return Find(fd, generation) != nullptr; }

void ReadinessWatches::RequestWriteNotification(int fd)
{
    auto it = watches_.find(fd);
    if (it != watches_.end() && it->second->Write)
        it->second->Write->setEnabled(true);
}

void ReadinessWatches::PostRead(int fd)
{
    auto it = watches_.find(fd);
    if (it == watches_.end())
        return;
    router_.Post(it->second->Endpoint, {kMsgSocketEvent, static_cast<uint32_t>(fd), kSocketEventRead},
                 it->second->Generation);
}

void ReadinessWatches::NoteReceive(int fd)
{
    auto it = watches_.find(fd);
    if (it == watches_.end() || !it->second->Read)
        return;
    Entry& watch = *it->second;
    if (watch.ReadPending)
        watch.ReadSincePosted = true;
    else
        watch.Read->setEnabled(true);
}

void ReadinessWatches::ReadDelivered(int fd, uint64_t generation)
{
    Entry* watch = Find(fd, generation);
    if (!watch || !watch->ReadPending)
        return;
    watch->ReadPending = false;
    if (watch->ReadSincePosted && watch->Read)
        watch->Read->setEnabled(true);
}

void ReadinessWatches::OnReadable(int fd, uint64_t generation)
{
    Entry* watch = Find(fd, generation);
    if (!watch)
        return;
    watch->Read->setEnabled(false);
    watch->ReadPending = true;
    watch->ReadSincePosted = false;
    router_.Post(watch->Endpoint, {kMsgSocketEvent, static_cast<uint32_t>(fd), kSocketEventRead}, generation);
}

void ReadinessWatches::OnWritable(int fd, uint64_t generation)
{
    Entry* watch = Find(fd, generation);
    if (!watch)
        return;
    watch->Write->setEnabled(false);
    router_.Post(watch->Endpoint, {kMsgSocketEvent, static_cast<uint32_t>(fd), kSocketEventWrite}, generation);
}

} // namespace net
