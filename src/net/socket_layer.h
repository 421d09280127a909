// SPDX-License-Identifier: MIT
// The one process-wide object of the socket layer: the socket list with its
// lock, the endpoint registry and notification queue on Qt's main loop, the
// readiness watches, and the channel host-lookup workers report through.
// Created in main() after the Q(Core)Application, destroyed before it.
#pragma once

#include "net/socket/socket_list.h"

#include <exception>
#include <functional>
#include <memory>

namespace net {

class EndpointRouter;
class MainThreadChannel;
class ReadinessWatches;

class SocketLayer {
public:
    SocketLayer();
    ~SocketLayer();
    SocketLayer(const SocketLayer&) = delete;
    SocketLayer& operator=(const SocketLayer&) = delete;

    static SocketLayer& Instance();
    static bool Exists();

    // Errors that leave a socket notification handler end here instead of
    // escaping into Qt. Default: print to stderr.
    std::function<void(const std::exception&)> OnUnhandledException;

    TSocketList& SocketList() { return sockets_; }
    EndpointRouter& Router() { return *router_; }
    ReadinessWatches& Watches() { return *watches_; }
    const std::shared_ptr<MainThreadChannel>& Channel() const { return channel_; }
    int RunningLookupWorkers() const;

private:
    void ReportUnhandled(const std::exception& error);

    TSocketList sockets_;
    std::unique_ptr<EndpointRouter> router_;
    std::unique_ptr<ReadinessWatches> watches_;
    std::shared_ptr<MainThreadChannel> channel_;
};

} // namespace net
