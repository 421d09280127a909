// SPDX-License-Identifier: MIT
// The receive buffer: what waits after the owner's read moves into it and
// is handed out first, in arrival order, with its senders.
#include "net_test_helpers.h"

#include "net/socket/udp_socket.h"

#include <gtest/gtest.h>

using namespace nettest;

namespace {

struct ReceiveBuffer : ::testing::Test {
    net::TUDPSocket Socket;
    RawUdp First, Second;
    std::vector<std::string> Handled;         // "data@peer" read inside OnDataAvailable
    std::vector<std::size_t> BufferedOnEntry; // ReceiveBuffer count as each call starts
    bool ReadInHandler = true;

    ReceiveBuffer()
    {
        Socket.SetLocalPort("40050");
        Socket.OnDataAvailable = [this](net::AUDPSocket&) {
            BufferedOnEntry.push_back(Socket.ReceiveBuffer().Count());
            if (ReadInHandler)
                Handled.push_back(Read());
        };
        Socket.SetBound(true);
    }

    std::string Read()
    {
        std::string data;
        sockaddr_in from{};
        if (!Socket.ReadPacket(data, from))
            return "nothing";
        return data + "@" + std::to_string(ntohs(from.sin_port) == First.Port() ? 1 : 2);
    }
    void SendFrom(RawUdp& peer, const std::string& data) { peer.SendTo("127.0.0.1", 40050, data); }
};

TEST_F(ReceiveBuffer, WaitingDatagramsAreHandedOutInArrivalOrder)
{
    SendFrom(First, "a");
    SendFrom(Second, "b");
    SendFrom(First, "c");
    SendFrom(Second, "d");
    // One read per call: what the drain buffered is announced call by call.
    ASSERT_TRUE(RunLoopUntil([&] { return Handled.size() == 4; }));
    EXPECT_EQ(Handled, (std::vector<std::string>{"a@1", "b@2", "c@1", "d@2"}));
    EXPECT_EQ(BufferedOnEntry, (std::vector<std::size_t>{0, 3, 2, 1}));
    RunLoopFor(30);
    EXPECT_EQ(Handled.size(), 4u);
    EXPECT_TRUE(Socket.ReceiveBuffer().IsEmpty());
}

TEST_F(ReceiveBuffer, BufferedDatagramsGoBeforeTheSocketIsReadAgain)
{
    ReadInHandler = false;
    SendFrom(First, "a");
    SendFrom(Second, "b");
    ASSERT_TRUE(RunLoopUntil([&] { return Socket.ReceiveBuffer().Count() == 2; }));
    SendFrom(First, "late");
    ASSERT_TRUE(RunLoopUntil([&] { return BufferedOnEntry.size() == 2; }));
    std::vector<std::string> read;
    for (int i = 0; i < 4; ++i)
        read.push_back(Read());
    EXPECT_EQ(read, (std::vector<std::string>{"a@1", "b@2", "late@1", "nothing"}));
}

TEST_F(ReceiveBuffer, TheDrainStopsAtTheLimitAndAtItsShareOfALoopTurn)
{
    Socket.SetMaxReceiveBufferPacketCount(2);
    ReadInHandler = false; // an owner that leaves everything to later reads
    for (const char* text : {"1", "2", "3", "4", "5"})
        SendFrom(First, text);
    ASSERT_TRUE(RunLoopUntil([&] { return !BufferedOnEntry.empty(); }));
    RunLoopFor(30);
    EXPECT_EQ(Socket.ReceiveBuffer().Count(), 2u); // the rest stays in the socket
    std::vector<std::string> rest;
    for (int i = 0; i < 6; ++i)
        rest.push_back(Read());
    EXPECT_EQ(rest, (std::vector<std::string>{"1@1", "2@1", "3@1", "4@1", "5@1", "nothing"}));

    // Unlimited: a long queue comes in over several notifications, all of it.
    Socket.SetMaxReceiveBufferPacketCount(-1);
    BufferedOnEntry.clear();
    for (int i = 0; i < 100; ++i)
        SendFrom(First, std::to_string(i));
    ASSERT_TRUE(RunLoopUntil([&] { return Socket.ReceiveBuffer().Count() == 100; }));
    ASSERT_GE(BufferedOnEntry.size(), 2u);
    EXPECT_LT(BufferedOnEntry[1], 100u);
}

TEST_F(ReceiveBuffer, SwitchedOffLeavesDatagramsInTheSocket)
{
    Socket.SetUseReceiveBuffer(false);
    SendFrom(First, "x");
    SendFrom(First, "y");
    ASSERT_TRUE(RunLoopUntil([&] { return Handled.size() == 2; }));
    EXPECT_EQ(BufferedOnEntry, (std::vector<std::size_t>{0, 0}));
    EXPECT_EQ(Handled, (std::vector<std::string>{"x@1", "y@1"}));
}

} // namespace
