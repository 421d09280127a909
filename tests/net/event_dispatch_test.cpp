// SPDX-License-Identifier: MIT
// Endpoints, posted notifications, timers and readiness notifications on
// the real Qt loop.
#include "net_test_helpers.h"

#include "net/dispatch/endpoint_router.h"
#include "net/errors/socket_errors.h"
#include "net/socket/udp_socket.h"
#include "net/socket_layer.h"

#include <gtest/gtest.h>
#include <memory>
#include <sys/resource.h>
#include <time.h>

using namespace nettest;

namespace {

net::EndpointRouter& Router() { return net::SocketLayer::Instance().Router(); }

// Collects the messages that reach OnMessage.
struct Recorder {
    std::vector<uint32_t> Messages;
    void Attach(net::TWindowHandle& handle)
    {
        handle.OnMessage = [this](uint32_t message, uint32_t wParam, uint32_t, bool& handled) {
            Messages.push_back(message * 100 + wParam);
            handled = true;
            return 7;
        };
    }
};

TEST(Endpoint, CreatedOnlyWhenFirstNeeded)
{
    std::size_t before = Router().AttachedCount();
    {
        net::TUDPSocket socket;
        socket.SetLocalPort("1154");
        EXPECT_EQ(socket.WindowHandle(), 0u);
        EXPECT_EQ(socket.SocketHandle(), -1);
        EXPECT_EQ(Router().AttachedCount(), before);
        socket.Terminate(); // closes nothing, raises nothing
        EXPECT_TRUE(socket.Terminated());
    }
    net::TTimerHandle handle;
    net::EndpointHandle endpoint = handle.GetWindowHandle();
    EXPECT_NE(endpoint, 0u);
    EXPECT_EQ(handle.GetWindowHandle(), endpoint);
    EXPECT_EQ(Router().AttachedCount(), before + 1);
}

TEST(Endpoint, NotificationsArriveOneByOneInPostedOrder)
{
    net::TWindowHandle handle;
    Recorder recorder;
    std::vector<uint32_t> nested;
    handle.OnMessage = [&](uint32_t message, uint32_t wParam, uint32_t, bool& handled) {
        recorder.Messages.push_back(message * 100 + wParam);
        // A nested loop inside a handler goes on with the next ones, in order.
        if (wParam == 1)
            RunLoopFor(20);
        handled = true;
        return 0;
    };
    for (uint32_t i = 1; i <= 4; ++i)
        Router().Post(handle.GetWindowHandle(), {2000, i, 0});
    ASSERT_TRUE(RunLoopUntil([&] { return recorder.Messages.size() == 4; }));
    EXPECT_EQ(recorder.Messages, (std::vector<uint32_t>{200001, 200002, 200003, 200004}));
}

TEST(Endpoint, NotificationForDestroyedObjectIsDropped)
{
    auto gone = std::make_unique<net::TWindowHandle>();
    Recorder goneRecorder;
    goneRecorder.Attach(*gone);
    net::TWindowHandle alive;
    Recorder aliveRecorder;
    aliveRecorder.Attach(alive);
    Router().Post(gone->GetWindowHandle(), {3000, 1, 0});
    Router().Post(alive.GetWindowHandle(), {3000, 2, 0});
    gone.reset();
    ASSERT_TRUE(RunLoopUntil([&] { return !aliveRecorder.Messages.empty(); }));
    EXPECT_TRUE(goneRecorder.Messages.empty());
    EXPECT_EQ(aliveRecorder.Messages, std::vector<uint32_t>{300002});
}

TEST(Endpoint, ErrorsInOnMessageGoToOnExceptionOrAreDropped)
{
    net::TWindowHandle handle;
    handle.OnMessage = [](uint32_t, uint32_t, uint32_t, bool&) -> int32_t { throw net::EWinSock("from handler"); };
    EXPECT_EQ(handle.MessageProc(5000, 0, 0), 0); // dropped
    std::string seen;
    handle.OnException = [&](net::TWindowHandle& sender, const net::Exception& error) {
        EXPECT_EQ(&sender, &handle);
        seen = error.what();
    };
    EXPECT_EQ(handle.MessageProc(5000, 0, 0), 0);
    EXPECT_EQ(seen, "from handler");
}

TEST(Timer, ErrorInOnTimerIsDroppedAndTheTimerRuns)
{
    net::TTimerHandle timer;
    int ticks = 0;
    timer.OnTimer = [&](net::TTimerHandle&) {
        ++ticks;
        throw net::EWinSock("tick failed");
    };
    timer.SetTimerInterval(10);
    timer.SetTimerActive(true);
    EXPECT_TRUE(timer.TimerActive());
    EXPECT_TRUE(RunLoopUntil([&] { return ticks >= 3; }));
    timer.SetTimerActive(false);
    int stoppedAt = ticks;
    RunLoopFor(60);
    EXPECT_EQ(ticks, stoppedAt);
}

TEST(Timer, ZeroIntervalDoesNotStart)
{
    net::TTimerHandle timer;
    timer.SetTimerInterval(0);
    timer.SetTimerActive(true);
    EXPECT_FALSE(timer.TimerActive());
    EXPECT_EQ(timer.WindowHandle(), 0u);
}

TEST(Timer, WhileLoadingOnlyTheFlagIsStored)
{
    net::TTimerHandle timer;
    int ticks = 0;
    timer.OnTimer = [&](net::TTimerHandle&) { ++ticks; };
    timer.SetTimerInterval(10);
    timer.BeginLoading();
    timer.SetTimerActive(true);
    EXPECT_TRUE(timer.TimerActive());
    RunLoopFor(40);
    EXPECT_EQ(ticks, 0);
    timer.Loaded();
    EXPECT_TRUE(RunLoopUntil([&] { return ticks >= 1; }));
}

// Counts the write notifications that reach the socket.
struct CountingSocket : net::TUDPSocket {
    int WriteEvents = 0;
    void HandleWriteReady() override
    {
        ++WriteEvents;
        TUDPSocket::HandleWriteReady();
    }
};

TEST(Readiness, NotificationForAReusedDescriptorIsDropped)
{
    CountingSocket socket;
    socket.SetLocalPort("40010");
    socket.SetBound(true); // queues the write notification of this descriptor
    int first = socket.SocketHandle();
    socket.SetLocalPort("40011");
    socket.SetBound(true); // closes it; the new socket gets the same number
    ASSERT_EQ(socket.SocketHandle(), first);
    RunLoopFor(50);
    EXPECT_EQ(socket.WriteEvents, 1);
    EXPECT_TRUE(socket.WriteReady());
}

TEST(Readiness, NotificationForAClosedSocketIsNotHandled)
{
    net::TUDPSocket a, b;
    int deliveries = 0;
    a.SetLocalPort("40012");
    b.SetLocalPort("40013");
    // Whichever is announced first closes the other, whose notification
    // may already be queued.
    a.OnDataAvailable = [&](net::AUDPSocket&) {
        ++deliveries;
        b.Terminate();
    };
    b.OnDataAvailable = [&](net::AUDPSocket&) {
        ++deliveries;
        a.Terminate();
    };
    a.SetBound(true);
    b.SetBound(true);
    RawUdp peer;
    peer.SendTo("127.0.0.1", 40012, "to a");
    peer.SendTo("127.0.0.1", 40013, "to b");
    ASSERT_TRUE(RunLoopUntil([&] { return deliveries > 0; }));
    RunLoopFor(50);
    EXPECT_EQ(deliveries, 1);
}

TEST(Readiness, ErrorFromADataHandlerDoesNotStopTheLoop)
{
    auto& layer = net::SocketLayer::Instance();
    auto previous = layer.OnUnhandledException;
    std::vector<std::string> unhandled;
    layer.OnUnhandledException = [&](const std::exception& error) { unhandled.push_back(error.what()); };
    net::TUDPSocket socket;
    socket.SetLocalPort("40014");
    std::vector<std::string> read;
    socket.OnDataAvailable = [&](net::AUDPSocket& sender) {
        std::string data;
        sockaddr_in from{};
        sender.ReadPacket(data, from);
        read.push_back(data);
        if (data == "bad")
            throw net::EWinSock("handler refused");
    };
    socket.SetBound(true);
    RawUdp peer;
    peer.SendTo("127.0.0.1", 40014, "bad");
    peer.SendTo("127.0.0.1", 40014, "good");
    bool done = RunLoopUntil([&] { return read.size() == 2; });
    layer.OnUnhandledException = previous;
    ASSERT_TRUE(done);
    EXPECT_EQ(read, (std::vector<std::string>{"bad", "good"}));
    EXPECT_EQ(unhandled, std::vector<std::string>{"handler refused"});
}

double ProcessCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

TEST(Readiness, WaitingForADatagramSleepsInTheLoop)
{
    net::TUDPSocket socket;
    socket.SetLocalPort("40015");
    int notifications = 0;
    socket.OnDataAvailable = [&](net::AUDPSocket&) { ++notifications; }; // never reads
    socket.SetBound(true);
    RawUdp peer;
    peer.SendTo("127.0.0.1", 40015, "left waiting");
    ASSERT_TRUE(RunLoopUntil([&] { return notifications == 1; }));
    auto wallStart = std::chrono::steady_clock::now();
    double cpuStart = ProcessCpuSeconds();
    RunLoopFor(1000);
    double cpu = ProcessCpuSeconds() - cpuStart;
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    EXPECT_LT(cpu, 0.2 * wall) << "cpu " << cpu << " s over " << wall << " s";
    EXPECT_EQ(notifications, 1);
}

} // namespace
