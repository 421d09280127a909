// SPDX-License-Identifier: MIT
#include "net/lookups/host_lookup.h"

#include "net/dispatch/main_thread_channel.h"
#include "net/errors/socket_errors.h"
#include "net/socket_layer.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace net {

// Shared by the worker and the main thread. `Lookup` is only touched on the
// main thread, and only while `Cancelled` is false.
struct TThreadHostLookupThread::HandOver {
    std::mutex Lock;
    std::condition_variable Changed;
    bool Cancelled = false;
    bool HandedOver = false;
    TSocketHostLookup* Lookup = nullptr;

    void Cancel()
    {
        std::lock_guard guard(Lock);
        Cancelled = true;
        Lookup = nullptr;
        Changed.notify_all();
    }

    // On the main thread.
    void Deliver(HostResolution result)
    {
        TSocketHostLookup* target = nullptr;
        {
            std::lock_guard guard(Lock);
            if (Cancelled)
                return;
            target = Lookup;
        }
        target->Complete(std::move(result));
    }

    void Finished()
    {
        std::lock_guard guard(Lock);
        HandedOver = true;
        Changed.notify_all();
    }
};

namespace {

void RunWorker(std::shared_ptr<TThreadHostLookupThread::HandOver> handOver, std::string host,
               std::shared_ptr<MainThreadChannel> channel)
{
    HostResolution result = LookupHostName(host);
    bool cancelled = false;
    {
        std::lock_guard guard(handOver->Lock);
        cancelled = handOver->Cancelled;
    }
    // Posted without holding the hand-over lock: the channel takes its own,
    // and the main thread takes the hand-over lock while it holds others.
    // Deliver checks for a cancel made meanwhile.
    if (!cancelled &&
        channel->Post([handOver, result] { handOver->Deliver(result); }, [handOver] { handOver->Finished(); })) {
        // Synchronous hand-over: wait until the main thread has run the
        // completion (or dropped it, or the lookup was cancelled).
        std::unique_lock guard(handOver->Lock);
        handOver->Changed.wait(guard, [&] { return handOver->HandedOver || handOver->Cancelled; });
    }
    channel->WorkerEnded();
}

} // namespace

TThreadHostLookupThread::TThreadHostLookupThread(TSocketHostLookup& lookup, const std::string& host,
                                                 std::shared_ptr<MainThreadChannel> channel)
    : handOver_(std::make_shared<HandOver>())
{
    handOver_->Lookup = &lookup;
    channel->WorkerStarted();
    try {
        std::thread(RunWorker, handOver_, host, channel).detach();
    } catch (...) {
        channel->WorkerEnded();
        throw;
    }
}

TThreadHostLookupThread::~TThreadHostLookupThread() { handOver_->Cancel(); }

TSocketHostLookup::~TSocketHostLookup() { Cancel(); }

void TSocketHostLookup::Start()
{
    if (state_ == HostLookupState::InProgress)
        throw ESocketHostLookup("Lookup in progress");
    if (host_.empty())
        throw ESocketHostLookup("Host not assigned");
    worker_.reset();
    errorCode_ = 0;
    addresses_.clear();
    worker_ = std::make_unique<TThreadHostLookupThread>(*this, host_, SocketLayer::Instance().Channel());
    state_ = HostLookupState::InProgress;
}

void TSocketHostLookup::Cancel()
{
    worker_.reset();
    if (state_ == HostLookupState::InProgress)
        state_ = HostLookupState::Idle;
}

void TSocketHostLookup::Complete(HostResolution result)
{
    errorCode_ = result.ErrorCode;
    addresses_ = std::move(result.Addresses);
    state_ = HostLookupState::Completed;
    // The handler may free this lookup: call it from a copy, touch nothing after.
    auto handler = OnComplete;
    if (handler)
        handler(*this);
}

} // namespace net
