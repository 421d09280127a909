// SPDX-License-Identifier: MIT
// One lookup of a host name, run by a worker thread that hands the result
// to the main thread, where the completion handler runs.
//
// The worker may sit in the resolver for as long as the resolver takes.
// Destroying the lookup (or starting it afresh) only cancels: the worker
// is detached, shares nothing with the lookup but a small hand-over state,
// and whatever it finds afterwards is thrown away. No one waits for it.
#pragma once

#include "net/lookups/name_resolution.h"

#include <functional>
#include <memory>
#include <string>

namespace net {

class MainThreadChannel;
class TSocketHostLookup;

enum class HostLookupState : uint8_t { Idle, InProgress, Completed };

class TThreadHostLookupThread {
public:
    // Starts the worker at once. Throws std::system_error when no thread
    // can be started.
    TThreadHostLookupThread(TSocketHostLookup& lookup, const std::string& host,
                            std::shared_ptr<MainThreadChannel> channel);
    ~TThreadHostLookupThread(); // cancels
    TThreadHostLookupThread(const TThreadHostLookupThread&) = delete;
    TThreadHostLookupThread& operator=(const TThreadHostLookupThread&) = delete;

    struct HandOver;

private:
    std::shared_ptr<HandOver> handOver_;
};

class TSocketHostLookup {
public:
    TSocketHostLookup() = default;
    ~TSocketHostLookup();
    TSocketHostLookup(const TSocketHostLookup&) = delete;
    TSocketHostLookup& operator=(const TSocketHostLookup&) = delete;

    const std::string& Host() const { return host_; }
    void SetHost(const std::string& host) { host_ = host; }
    int32_t ErrorCode() const { return errorCode_; }
    const TInAddrArray& Addresses() const { return addresses_; }
    HostLookupState State() const { return state_; }

    // Throws ESocketHostLookup "Lookup in progress" / "Host not assigned".
    void Start();
    // Stops waiting for the running lookup; its result will be dropped.
    void Cancel();

    // Runs on the main thread when the lookup is complete; may free it.
    std::function<void(TSocketHostLookup& lookup)> OnComplete;

private:
    friend class TThreadHostLookupThread;
    void Complete(HostResolution result);

    std::string host_;
    int32_t errorCode_ = 0;
    TInAddrArray addresses_;
    HostLookupState state_ = HostLookupState::Idle;
    std::unique_ptr<TThreadHostLookupThread> worker_;
};

} // namespace net
