// SPDX-License-Identifier: MIT
#include "net/socket_layer.h"

#include "net/dispatch/endpoint_router.h"
#include "net/dispatch/main_thread_channel.h"
#include "net/dispatch/readiness_watches.h"
#include "net/errors/socket_errors.h"

#include <QCoreApplication>
#include <QThread>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

namespace net {

namespace {
SocketLayer* theLayer = nullptr;
// How long shutdown waits for lookup workers still inside the resolver.
constexpr auto kWorkerShutdownLimit = std::chrono::seconds(20);
} // namespace

SocketLayer::SocketLayer()
{
    if (theLayer)
        throw ESockException("WSAStartup - Could Not Initialize WinSock");
    auto* app = QCoreApplication::instance();
    if (!app)
        throw EWindowHandle("Window class registration failed: Windows error #" + std::to_string(ENXIO));
    if (app->thread() != QThread::currentThread())
        throw EWindowHandle("Window class registration failed: Windows error #" + std::to_string(EPERM));
    OnUnhandledException = [](const std::exception& error) {
        std::fprintf(stderr, "muxconfig: unhandled socket error: %s\n", error.what());
    };
    router_ = std::make_unique<EndpointRouter>([this](const std::exception& e) { ReportUnhandled(e); });
    watches_ = std::make_unique<ReadinessWatches>(*router_);
    router_->SetWatches(watches_.get());
    channel_ = std::make_shared<MainThreadChannel>(router_.get(), router_->CallEventType());
    theLayer = this;
}

SocketLayer::~SocketLayer()
{
    // Sockets that outlive the layer find it gone and leave it alone.
    theLayer = nullptr;
    channel_->Shut();
    router_->SetWatches(nullptr);
    watches_.reset();
    router_.reset(); // discards queued notifications; waiting workers wake
    auto deadline = std::chrono::steady_clock::now() + kWorkerShutdownLimit;
    while (channel_->RunningWorkers() > 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

SocketLayer& SocketLayer::Instance()
{
    if (!theLayer)
        throw ESockException("WSAStartup - Could Not Initialize WinSock");
    return *theLayer;
}

bool SocketLayer::Exists() { return theLayer != nullptr; }

int SocketLayer::RunningLookupWorkers() const { return channel_->RunningWorkers(); }

void SocketLayer::ReportUnhandled(const std::exception& error)
{
    if (OnUnhandledException)
        OnUnhandledException(error);
}

} // namespace net
