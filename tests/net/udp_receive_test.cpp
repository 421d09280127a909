// SPDX-License-Identifier: MIT
// Receiving through the event loop: one OnDataAvailable per waiting
// datagram, the sender's address, size limits and empty datagrams.
#include "net_test_helpers.h"

#include "net/errors/socket_errors.h"
#include "net/socket/udp_socket.h"

#include <gtest/gtest.h>

using namespace nettest;

namespace {

struct Received {
    bool Got;
    std::string Data;
    std::string From;
    uint16_t Port;
    int32_t ErrorCode;
};

struct Receiver : ::testing::Test {
    net::TUDPSocket Socket;
    RawUdp Peer;
    std::vector<::Received> Received;
    int ErrorsSeen = 0;

    Receiver()
    {
        Socket.SetLocalPort("40001");
        Socket.SetUseReceiveBuffer(false);
        Socket.SetUseSendBuffer(false);
        Socket.OnError = [this](net::ASocket&) { ++ErrorsSeen; };
        Socket.OnDataAvailable = [this](net::AUDPSocket& sender) {
            std::string data = "stale";
            sockaddr_in from{};
            bool got = sender.ReadPacket(data, from);
            Received.push_back({got, data, Dotted(from.sin_addr), ntohs(from.sin_port), sender.ErrorCode()});
        };
        Socket.SetBound(true);
    }

    bool WaitForReads(std::size_t count)
    {
        return RunLoopUntil([&] { return Received.size() >= count; });
    }
};

TEST_F(Receiver, DatagramArrivesWithItsSender)
{
    Peer.SendTo("127.0.0.1", 40001, "R1 hello");
    ASSERT_TRUE(WaitForReads(1));
    EXPECT_TRUE(Received[0].Got);
    EXPECT_EQ(Received[0].Data, "R1 hello");
    EXPECT_EQ(Received[0].From, "127.0.0.1");
    EXPECT_EQ(Received[0].Port, Peer.Port());
    EXPECT_EQ(Received[0].ErrorCode, 0);
}

TEST_F(Receiver, EachWaitingDatagramGetsItsOwnNotification)
{
    for (const char* text : {"one", "two", "three"})
        Peer.SendTo("127.0.0.1", 40001, text);
    ASSERT_TRUE(WaitForReads(3));
    RunLoopFor(50);
    ASSERT_EQ(Received.size(), 3u);
    EXPECT_EQ(Received[0].Data, "one");
    EXPECT_EQ(Received[1].Data, "two");
    EXPECT_EQ(Received[2].Data, "three");
}

TEST_F(Receiver, FullSizeDatagramIsWholeAndOneByteMoreIsTruncated)
{
    std::string full(4096, 'a');
    full.back() = 'z';
    Peer.SendTo("127.0.0.1", 40001, full);
    ASSERT_TRUE(WaitForReads(1));
    EXPECT_EQ(Received[0].Data, full);
    EXPECT_EQ(ErrorsSeen, 0);

    std::string oversized(4097, 'b');
    Peer.SendTo("127.0.0.1", 40001, oversized);
    ASSERT_TRUE(WaitForReads(2));
    EXPECT_TRUE(Received[1].Got);
    EXPECT_EQ(Received[1].Data, oversized.substr(0, 4096));
    EXPECT_EQ(Received[1].ErrorCode, 10040);
    EXPECT_EQ(ErrorsSeen, 1);
    EXPECT_EQ(Socket.ErrorDescription(), "Packet truncated: Buffer too small");
}

TEST_F(Receiver, EmptyDatagramIsDeliveredAsEmptyData)
{
    Peer.SendTo("127.0.0.1", 40001, "");
    ASSERT_TRUE(WaitForReads(1));
    EXPECT_TRUE(Received[0].Got);
    EXPECT_EQ(Received[0].Data, "");
    EXPECT_EQ(Received[0].Port, Peer.Port());
}

TEST_F(Receiver, NothingWaitingIsFalseWithoutError)
{
    std::string data = "stale";
    sockaddr_in from{};
    EXPECT_FALSE(Socket.ReadPacket(data, from));
    EXPECT_EQ(data, "");
    EXPECT_EQ(Socket.ErrorCode(), 0);
    EXPECT_EQ(ErrorsSeen, 0);
}

TEST_F(Receiver, ComponentSendsAnEmptyDatagram)
{
    Socket.SendPacketTo(Address("127.0.0.1"), Peer.Port(), "");
    auto datagram = Peer.Receive(2000);
    ASSERT_TRUE(datagram);
    EXPECT_EQ(datagram->Data, "");
    EXPECT_EQ(ntohs(datagram->From.sin_port), 40001);
}

TEST_F(Receiver, UnreadDatagramDoesNotMakeTheLoopSpin)
{
    // An owner that does not read gets one notification, not one per loop turn.
    int notifications = 0;
    Socket.OnDataAvailable = [&](net::AUDPSocket&) { ++notifications; };
    Peer.SendTo("127.0.0.1", 40001, "left unread");
    ASSERT_TRUE(RunLoopUntil([&] { return notifications > 0; }));
    RunLoopFor(200);
    EXPECT_EQ(notifications, 1);
    // Reading re-arms the watch: the next datagram is announced again.
    std::string data;
    sockaddr_in from{};
    ASSERT_TRUE(Socket.ReadPacket(data, from));
    EXPECT_EQ(data, "left unread");
    Peer.SendTo("127.0.0.1", 40001, "next");
    EXPECT_TRUE(RunLoopUntil([&] { return notifications == 2; }));
}

TEST_F(Receiver, NestedLoopInOnErrorKeepsEachDatagramIntact)
{
    // The operator's error box runs a nested loop inside OnError.
    Socket.OnError = [this](net::ASocket&) {
        ++ErrorsSeen;
        RunLoopFor(50);
    };
    std::string oversized(5000, 'o');
    Peer.SendTo("127.0.0.1", 40001, oversized);
    Peer.SendTo("127.0.0.1", 40001, "after");
    ASSERT_TRUE(WaitForReads(2));
    EXPECT_EQ(Received[0].Data, oversized.substr(0, 4096));
    EXPECT_EQ(Received[0].ErrorCode, 10040);
    EXPECT_EQ(Received[1].Data, "after");
    EXPECT_EQ(ErrorsSeen, 1);
}

TEST(OwnerEndsTheSocket, FromInsideItsHandlers)
{
    RawUdp peer;
    auto socket = std::make_unique<net::TUDPSocket>();
    socket->SetLocalPort("40002");
    int reads = 0;
    socket->OnDataAvailable = [&](net::AUDPSocket& sender) {
        std::string data;
        sockaddr_in from{};
        sender.ReadPacket(data, from);
        ++reads;
        socket.reset(); // the receive buffer drain must not follow
    };
    socket->SetBound(true);
    peer.SendTo("127.0.0.1", 40002, "one");
    peer.SendTo("127.0.0.1", 40002, "two");
    ASSERT_TRUE(RunLoopUntil([&] { return !socket; }));
    RunLoopFor(30);
    EXPECT_EQ(reads, 1);

    auto failing = std::make_unique<net::TUDPSocket>();
    failing->SetLocalPort("40003");
    int failures = 0;
    failing->OnSendFailed = [&](net::AUDPSocket&, int32_t, in_addr, uint16_t, const std::string&, const std::string&,
                                const char*, int32_t) {
        ++failures;
        failing.reset();
    };
    failing->SetBound(true);
    ASSERT_TRUE(RunLoopUntil([&] { return failing->WriteReady(); }));
    failing->SendPacketTo(Address("127.0.0.1"), 0, "port zero is refused");
    EXPECT_EQ(failures, 1);
    EXPECT_FALSE(failing);

    // OnError for a truncated datagram, fired inside ReadPacket.
    auto truncating = std::make_unique<net::TUDPSocket>();
    truncating->SetLocalPort("40004");
    truncating->OnError = [&](net::ASocket&) { truncating.reset(); };
    truncating->OnDataAvailable = [](net::AUDPSocket& sender) {
        std::string data;
        sockaddr_in from{};
        sender.ReadPacket(data, from);
    };
    truncating->SetBound(true);
    peer.SendTo("127.0.0.1", 40004, std::string(5000, 'o'));
    EXPECT_TRUE(RunLoopUntil([&] { return !truncating; }));
}

} // namespace
