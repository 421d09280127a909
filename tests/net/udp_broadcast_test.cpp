// SPDX-License-Identifier: MIT
// Broadcasts from the workstation namespace of the simulated LAN, seen by a
// listener in the LAN namespace, and the send failures the kernel reports.
#include "net_test_helpers.h"

#include "net/errors/socket_errors.h"
#include "net/socket/udp_socket.h"

#include <gtest/gtest.h>

using namespace nettest;

namespace {

struct CommandSocket : ::testing::Test {
    net::TUDPSocket Socket;
    std::vector<std::string> Events;

    CommandSocket()
    {
        Socket.SetLocalPort("1154");
        Socket.SetBroadcastOption(true);
        Socket.SetUseSendBuffer(false);
        Socket.SetUseReceiveBuffer(false);
        Socket.OnError = [this](net::ASocket& s) { Events.push_back("error " + std::to_string(s.ErrorCode())); };
        Socket.OnSendFailed = [this](net::AUDPSocket&, int32_t code, in_addr, uint16_t port, const std::string&,
                                     const std::string&, const char*, int32_t size) {
            Events.push_back("send failed " + std::to_string(code) + " port " + std::to_string(port) + " size " +
                             std::to_string(size));
        };
    }
};

TEST_F(CommandSocket, BroadcastReachesTheLanFromPort1153)
{
    LanListener listener(65535, 1, 3000);
    Socket.SetLocalPort("1153");
    Socket.BroadcastPacket(65535, "X");
    EXPECT_EQ(listener.Collect(), std::vector<std::string>{"192.168.1.1 1153 1 58"});
    EXPECT_TRUE(Events.empty());
}

TEST_F(CommandSocket, PortTextSendsLikeTheNumber)
{
    LanListener listener(65535, 2, 3000);
    Socket.SetLocalPort("1153");
    Socket.BroadcastPacket("65535", "A1");
    Socket.BroadcastPacket(uint16_t(65535), "B2");
    EXPECT_EQ(listener.Collect(), (std::vector<std::string>{"192.168.1.1 1153 2 4131", "192.168.1.1 1153 2 4232"}));
}

TEST_F(CommandSocket, BroadcastWithoutTheOptionIsRefused)
{
    Socket.SetBroadcastOption(false);
    try {
        Socket.BroadcastPacket(65535, "X");
        FAIL() << "the send did not raise";
    } catch (const net::EWinSock& error) {
        EXPECT_STREQ(error.what(), "Send failed: Socket permission denied");
        // The owner hears of it before the error is raised.
        EXPECT_EQ(Events, (std::vector<std::string>{"send failed 10013 port 65535 size 1", "error 10013"}));
    }
    EXPECT_EQ(Socket.ErrorCode(), 10013);
    EXPECT_EQ(Socket.ErrorDescription(), "Send failed: Socket permission denied");
    EXPECT_TRUE(Socket.IsBound());
}

TEST_F(CommandSocket, SwitchingTheOptionOnWhileBoundAppliesAtOnce)
{
    Socket.SetBroadcastOption(false);
    Socket.SetBound(true);
    Socket.SetBroadcastOption(true);
    LanListener listener(65535, 1, 3000);
    Socket.BroadcastPacket(65535, "Y");
    EXPECT_EQ(listener.Collect(), std::vector<std::string>{"192.168.1.1 1154 1 59"});
}

TEST_F(CommandSocket, UnreachableHostIsReportedWithItsNumber)
{
    ASSERT_EQ(system("ip route add unreachable 10.99.0.0/16"), 0);
    EXPECT_THROW(Socket.SendPacketTo(Address("10.99.0.1"), 65535, "X"), net::EWinSock);
    EXPECT_EQ(Socket.ErrorCode(), 10065);
    EXPECT_EQ(Socket.ErrorDescription(), "Send failed: Host is unreachable");
}

TEST_F(CommandSocket, EmptyPortTextSendsToPortZero)
{
    // Linux refuses port 0 outright; the attempt shows it was not a lookup.
    EXPECT_THROW(Socket.BroadcastPacket(std::string(), "X"), net::EWinSock);
    EXPECT_EQ(Socket.ErrorDescription(), "Send failed: Socket error: Invalid operation");
    EXPECT_EQ(Events.front(), "send failed 10022 port 0 size 1");
}

TEST_F(CommandSocket, UnknownServiceNameIsAnError)
{
    try {
        Socket.BroadcastPacket("no-such-service", "X");
        FAIL() << "the send did not raise";
    } catch (const net::EWinSock& error) {
        EXPECT_STREQ(error.what(), "Error resolving port: Host address not found");
    }
    EXPECT_EQ(Events, std::vector<std::string>{"error 11004"});
}

} // namespace
