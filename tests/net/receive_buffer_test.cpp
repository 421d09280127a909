// The receive buffer: what waits after the owner's read moves into it and
// is handed out first, in arrival order, with its senders.
#include "net_test_helpers.h"

#include "net/udp_socket.h"

#include <gtest/gtest.h>

using namespace nettest;

namespace {

struct ReceiveBuffer : ::testing::Test {
    net::TUDPSocket socket;
    RawUdp first, second;
    std::vector<std::string> handled; // "data@port" read inside OnDataAvailable
    int notifications = 0;
    bool readInHandler = true;

    ReceiveBuffer()
    {
        socket.SetLocalPort("40050");
        socket.OnDataAvailable = [this](net::AUDPSocket&) {
            ++notifications;
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
    ASSERT_TRUE(RunLoopUntil([&] { return notifications == 1; }));
    RunLoopFor(30);
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(socket.ReceiveBuffer().Count(), 3u);

    // A later datagram queues behind the buffered ones.
    SendFrom(first, "late");
    ASSERT_TRUE(RunLoopUntil([&] { return notifications == 2; }));
    std::vector<std::string> rest;
    while (true) {
        std::string next = Read();
        if (next == "nothing")
            break;
        rest.push_back(next);
    }
    EXPECT_EQ(handled, (std::vector<std::string>{"a@1", "b@2"}));
    EXPECT_EQ(rest, (std::vector<std::string>{"c@1", "d@2", "late@1"}));
}

TEST_F(ReceiveBuffer, LimitIsTestedOnceAndAFullBufferIsNotDrained)
{
    socket.SetMaxReceiveBufferPacketCount(2);
    for (const char* text : {"1", "2", "3", "4", "5"})
        SendFrom(first, text);
    ASSERT_TRUE(RunLoopUntil([&] { return notifications == 1; }));
    // Below the limit before the drain: everything waiting came in.
    EXPECT_EQ(socket.ReceiveBuffer().Count(), 4u);

    readInHandler = false;
    SendFrom(first, "6");
    ASSERT_TRUE(RunLoopUntil([&] { return notifications == 2; }));
    RunLoopFor(30);
    EXPECT_EQ(socket.ReceiveBuffer().Count(), 4u); // full: "6" stays in the socket
    std::vector<std::string> rest;
    for (int i = 0; i < 6; ++i)
        rest.push_back(Read());
    EXPECT_EQ(rest, (std::vector<std::string>{"2@1", "3@1", "4@1", "5@1", "6@1", "nothing"}));
}

TEST_F(ReceiveBuffer, SwitchedOffLeavesDatagramsInTheSocket)
{
    socket.SetUseReceiveBuffer(false);
    SendFrom(first, "x");
    SendFrom(first, "y");
    ASSERT_TRUE(RunLoopUntil([&] { return notifications == 2; }));
    EXPECT_TRUE(socket.ReceiveBuffer().IsEmpty());
    EXPECT_EQ(handled, (std::vector<std::string>{"x@1", "y@1"}));
}

} // namespace
