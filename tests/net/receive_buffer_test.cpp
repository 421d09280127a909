// SPDX-License-Identifier: MIT
// The receive buffer: what waits after the owner's read moves into it and
// is handed out first, in arrival order, with its senders.
#include "net_test_helpers.h"

#include "net/socket/udp_socket.h"

#include <gtest/gtest.h>

using namespace nettest;

namespace {

struct ReceiveBuffer : ::testing::Test {
    net::TUDPSocket socket;
    RawUdp first, second;
    std::vector<std::string> handled;         // "data@peer" read inside OnDataAvailable
    std::vector<std::size_t> bufferedOnEntry; // ReceiveBuffer count as each call starts
    bool readInHandler = true;

    ReceiveBuffer()
    {
        socket.SetLocalPort("40050");
        socket.OnDataAvailable = [this](net::AUDPSocket&) {
            bufferedOnEntry.push_back(socket.ReceiveBuffer().Count());
            if (readInHandler)
                handled.push_back(Read());
        };
        socket.SetBound(true);
    }

    std::string Read()
    {
        std::string data;
        sockaddr_in from{};
        if (!socket.ReadPacket(data, from))
            return "nothing";
        return data + "@" + std::to_string(ntohs(from.sin_port) == first.Port() ? 1 : 2);
    }
    void SendFrom(RawUdp& peer, const std::string& data) { peer.SendTo("127.0.0.1", 40050, data); }
};

TEST_F(ReceiveBuffer, WaitingDatagramsAreHandedOutInArrivalOrder)
{
    SendFrom(first, "a");
    SendFrom(second, "b");
    SendFrom(first, "c");
    SendFrom(second, "d");
    // One read per call: what the drain buffered is announced call by call.
    ASSERT_TRUE(RunLoopUntil([&] { return handled.size() == 4; }));
    EXPECT_EQ(handled, (std::vector<std::string>{"a@1", "b@2", "c@1", "d@2"}));
    EXPECT_EQ(bufferedOnEntry, (std::vector<std::size_t>{0, 3, 2, 1}));
    RunLoopFor(30);
    EXPECT_EQ(handled.size(), 4u);
    EXPECT_TRUE(socket.ReceiveBuffer().IsEmpty());
}

TEST_F(ReceiveBuffer, BufferedDatagramsGoBeforeTheSocketIsReadAgain)
{
    readInHandler = false;
    SendFrom(first, "a");
    SendFrom(second, "b");
    ASSERT_TRUE(RunLoopUntil([&] { return socket.ReceiveBuffer().Count() == 2; }));
    SendFrom(first, "late");
    ASSERT_TRUE(RunLoopUntil([&] { return bufferedOnEntry.size() == 2; }));
    std::vector<std::string> read;
    for (int i = 0; i < 4; ++i)
        read.push_back(Read());
    EXPECT_EQ(read, (std::vector<std::string>{"a@1", "b@2", "late@1", "nothing"}));
}

TEST_F(ReceiveBuffer, TheDrainStopsAtTheLimitAndAtItsShareOfALoopTurn)
{
    socket.SetMaxReceiveBufferPacketCount(2);
    readInHandler = false; // an owner that leaves everything to later reads
    for (const char* text : {"1", "2", "3", "4", "5"})
        SendFrom(first, text);
    ASSERT_TRUE(RunLoopUntil([&] { return !bufferedOnEntry.empty(); }));
    RunLoopFor(30);
    EXPECT_EQ(socket.ReceiveBuffer().Count(), 2u); // the rest stays in the socket
    std::vector<std::string> rest;
    for (int i = 0; i < 6; ++i)
        rest.push_back(Read());
    EXPECT_EQ(rest, (std::vector<std::string>{"1@1", "2@1", "3@1", "4@1", "5@1", "nothing"}));

    // Unlimited: a long queue comes in over several notifications, all of it.
    socket.SetMaxReceiveBufferPacketCount(-1);
    bufferedOnEntry.clear();
    for (int i = 0; i < 100; ++i)
        SendFrom(first, std::to_string(i));
    ASSERT_TRUE(RunLoopUntil([&] { return socket.ReceiveBuffer().Count() == 100; }));
    ASSERT_GE(bufferedOnEntry.size(), 2u);
    EXPECT_LT(bufferedOnEntry[1], 100u);
}

TEST_F(ReceiveBuffer, SwitchedOffLeavesDatagramsInTheSocket)
{
    socket.SetUseReceiveBuffer(false);
    SendFrom(first, "x");
    SendFrom(first, "y");
    ASSERT_TRUE(RunLoopUntil([&] { return handled.size() == 2; }));
    EXPECT_EQ(bufferedOnEntry, (std::vector<std::size_t>{0, 0}));
    EXPECT_EQ(handled, (std::vector<std::string>{"x@1", "y@1"}));
}

} // namespace
