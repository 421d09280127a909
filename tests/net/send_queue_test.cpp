// SPDX-License-Identifier: MIT
// The send queue over a throttled loopback: would-block for real, then the
// queued datagrams leave in order at the next write notification.
#include "net_test_helpers.h"

#include "net/errors/socket_errors.h"
#include "net/socket/udp_socket.h"

#include <gtest/gtest.h>

using namespace nettest;

namespace {

struct SendQueue : ::testing::Test {
    net::TUDPSocket Socket;
    RawUdp Peer{0, "127.0.0.1"};
    int Emptied = 0;
    std::vector<int32_t> SendFailures;

    SendQueue()
    {
        Socket.SetLocalPort("40040");
        Socket.OnSendBufferEmpty = [this](net::ASocketExSendBuffer&) { ++Emptied; };
        Socket.OnSendFailed = [this](net::AUDPSocket&, int32_t code, in_addr, uint16_t, const std::string&,
                                     const std::string&, const char*, int32_t) { SendFailures.push_back(code); };
    }
    ~SendQueue() override { std::system("tc qdisc del dev lo root 2>/dev/null"); }

    void Send(const std::string& data) { Socket.SendPacketTo(Address("127.0.0.1"), Peer.Port(), data); }

    // The first word of each datagram, up to `count` of them, then
    // whatever else arrives within a short while.
    std::vector<std::string> Receive(std::size_t count)
    {
        std::vector<std::string> got;
        while (auto datagram = Peer.Receive(got.size() < count ? 3000 : 50))
            got.push_back(datagram->Data.substr(0, datagram->Data.find(' ')));
        return got;
    }
};

TEST_F(SendQueue, SendsBeforeTheFirstWriteNotificationWaitForIt)
{
    Send("early one");
    Send("early two");
    EXPECT_EQ(Socket.SendBuffer().Count(), 2u);
    EXPECT_FALSE(Peer.Receive(0));
    ASSERT_TRUE(RunLoopUntil([&] { return Emptied == 1; }));
    EXPECT_TRUE(Socket.WriteReady());
    EXPECT_EQ(Receive(2), (std::vector<std::string>{"early", "early"}));
    Send("direct");
    EXPECT_TRUE(Socket.SendBuffer().IsEmpty());
    EXPECT_TRUE(Peer.Receive(1000));
    RunLoopFor(20);
    EXPECT_EQ(Emptied, 1);
}

TEST_F(SendQueue, WouldBlockQueuesAndTheQueueDrainsInOrder)
{
    Socket.SetBound(true);
    ASSERT_TRUE(RunLoopUntil([&] { return Socket.WriteReady(); }));
    int smallest = 1;
    ASSERT_EQ(setsockopt(Socket.SocketHandle(), SOL_SOCKET, SO_SNDBUF, &smallest, sizeof smallest), 0);
    // About ten 1000-byte datagrams a second leave the loopback.
    ASSERT_EQ(std::system("tc qdisc add dev lo root tbf rate 80kbit burst 1600 limit 1000000"), 0);

    std::vector<std::string> expected;
    for (int i = 0; i < 12; ++i) {
        std::string tag = "d";
        tag += std::to_string(i);
        expected.push_back(tag);
        Send(tag + ' ' + std::string(1000, 'x'));
    }
    std::size_t queued = Socket.SendBuffer().Count();
    EXPECT_GT(queued, 0u) << "the kernel never answered would-block";
    EXPECT_FALSE(Socket.WriteReady());
    EXPECT_TRUE(SendFailures.empty());

    ASSERT_TRUE(RunLoopUntil([&] { return Emptied == 1; }, 10000));
    EXPECT_TRUE(Socket.SendBuffer().IsEmpty());
    EXPECT_EQ(Receive(expected.size()), expected);
    EXPECT_TRUE(SendFailures.empty());
}

TEST_F(SendQueue, AThrowingFailureHandlerDoesNotStrandTheQueue)
{
    Socket.OnSendFailed = [this](net::AUDPSocket&, int32_t code, in_addr, uint16_t, const std::string&,
                                 const std::string&, const char*, int32_t) {
        SendFailures.push_back(code);
        throw std::runtime_error("handler failed");
    };
    Socket.SetBound(true);                                         // queued until the first write notification
    Socket.SendPacketTo(Address("255.255.255.255"), 9, "refused"); // no broadcast option
    Send("after");
    EXPECT_TRUE(RunLoopUntil([&] { return Socket.SendBuffer().IsEmpty(); }));
    EXPECT_EQ(SendFailures, std::vector<int32_t>{10013});
    EXPECT_EQ(Receive(1), std::vector<std::string>{"after"});
}

TEST_F(SendQueue, RefusedDatagramIsReportedOnceAndHoldsNothingUp)
{
    Socket.SetBound(true);
    ASSERT_TRUE(RunLoopUntil([&] { return Socket.WriteReady(); }));
    ASSERT_EQ(std::system("ip route add unreachable 10.98.0.0/16"), 0);
    Socket.SendPacketTo(Address("10.98.0.1"), 9, "refused");
    EXPECT_EQ(SendFailures, std::vector<int32_t>{10065});
    EXPECT_TRUE(Socket.SendBuffer().IsEmpty());
    Send("next");
    EXPECT_TRUE(Peer.Receive(1000));
    RunLoopFor(50);
    EXPECT_EQ(SendFailures.size(), 1u);
    std::system("ip route del unreachable 10.98.0.0/16");
}

} // namespace
