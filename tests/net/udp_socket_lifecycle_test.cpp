// SPDX-License-Identifier: MIT
// Binding on first need, re-binding after a local address change, closing,
// and the failures of those steps.
#include "net_test_helpers.h"

#include "net/errors/socket_errors.h"
#include "net/lookups/name_resolution.h"
#include "net/socket/udp_socket.h"
#include "net/socket_layer.h"

#include <gtest/gtest.h>

using namespace nettest;

namespace {

sockaddr_in LocalName(int fd)
{
    sockaddr_in name{};
    socklen_t length = sizeof name;
    getsockname(fd, reinterpret_cast<sockaddr*>(&name), &length);
    return name;
}

struct Lifecycle : ::testing::Test {
    net::TUDPSocket Socket;
    std::vector<int32_t> Errors;
    RawUdp Peer;

    Lifecycle()
    {
        Socket.SetUseSendBuffer(false);
        Socket.OnError = [this](net::ASocket& s) { Errors.push_back(s.ErrorCode()); };
    }
};

TEST_F(Lifecycle, BindsAtTheFirstSendWithTheLastPortSet)
{
    Socket.SetLocalPort("1154");
    EXPECT_EQ(Socket.SocketHandle(), -1);
    EXPECT_FALSE(Socket.IsBound());
    Socket.SetLocalPort("1153");
    EXPECT_EQ(Socket.SocketHandle(), -1);
    EXPECT_EQ(Socket.LocalPort(), "1153");
    Socket.SendPacketTo(Address("127.0.0.1"), Peer.Port(), "first");
    ASSERT_NE(Socket.SocketHandle(), -1);
    sockaddr_in name = LocalName(Socket.SocketHandle());
    EXPECT_EQ(ntohs(name.sin_port), 1153);
    EXPECT_EQ(name.sin_addr.s_addr, htonl(INADDR_ANY));
    EXPECT_NE(Socket.WindowHandle(), 0u);
    auto datagram = Peer.Receive(2000);
    ASSERT_TRUE(datagram);
    EXPECT_EQ(ntohs(datagram->From.sin_port), 1153);
}

TEST_F(Lifecycle, SamePortAgainKeepsTheBinding)
{
    Socket.SetLocalPort("1153");
    Socket.SetBound(true);
    int fd = Socket.SocketHandle();
    Socket.SetLocalPort("1153");
    EXPECT_TRUE(Socket.IsBound());
    Socket.SendPacketTo(Address("127.0.0.1"), Peer.Port(), "x");
    EXPECT_EQ(Socket.SocketHandle(), fd);
}

TEST_F(Lifecycle, NewPortRebindsAtTheNextSend)
{
    Socket.SetLocalPort("40020");
    Socket.SetBound(true);
    Socket.SetLocalPort("40021");
    EXPECT_FALSE(Socket.IsBound());
    Socket.SendPacketTo(Address("127.0.0.1"), Peer.Port(), "x");
    EXPECT_EQ(ntohs(LocalName(Socket.SocketHandle()).sin_port), 40021);
    // The old port is free again.
    EXPECT_NO_THROW(RawUdp(40020));
}

TEST_F(Lifecycle, LocalHostChoosesTheAddress)
{
    Socket.SetLocalHost("127.0.0.1");
    Socket.SetLocalPort("40022");
    Socket.SetBound(true);
    EXPECT_EQ(Dotted(LocalName(Socket.SocketHandle()).sin_addr), "127.0.0.1");
}

TEST_F(Lifecycle, PortTakenFailsTheBind)
{
    RawUdp holder(1153);
    Socket.SetLocalPort("1153");
    try {
        Socket.BroadcastPacket(65535, "X");
        FAIL() << "the bind did not raise";
    } catch (const net::EWinSock& error) {
        EXPECT_STREQ(error.what(), "Socket bind failed: Address in use");
    }
    EXPECT_EQ(Socket.ErrorCode(), 10048);
    EXPECT_EQ(Errors, std::vector<int32_t>{10048});
    EXPECT_FALSE(Socket.IsBound());
}

TEST_F(Lifecycle, AfterTerminateSendsReportTheClosedHandle)
{
    Socket.SetLocalPort("40023");
    Socket.SetBound(true);
    Socket.Terminate();
    EXPECT_TRUE(Socket.Terminated());
    EXPECT_EQ(Socket.SocketHandle(), -1);
    EXPECT_TRUE(Socket.IsBound()); // it never reopens itself
    EXPECT_THROW(Socket.SendPacketTo(Address("127.0.0.1"), Peer.Port(), "x"), net::EWinSock);
    EXPECT_EQ(Socket.ErrorCode(), 10038);
    EXPECT_EQ(Socket.ErrorDescription(), "Send failed: Socket operation on non-socket or not connected");
}

TEST_F(Lifecycle, OnlyUdpIsAllowed)
{
    EXPECT_NO_THROW(Socket.SetProtocol(net::kProtocolUdp));
    try {
        Socket.SetProtocol(net::kProtocolTcp);
        FAIL() << "no error";
    } catch (const net::EWinSock& error) {
        EXPECT_STREQ(error.what(), "AUDPSocket.SetProtocol: Only UDP allowed here");
    }
    EXPECT_EQ(Socket.ErrorCode(), 20004);
    EXPECT_EQ(Socket.Protocol(), net::kProtocolUdp);
}

TEST_F(Lifecycle, StoredBoundBindsWhenLoaded)
{
    Socket.BeginLoading();
    Socket.SetLocalPort("40024");
    Socket.SetBound(true);
    EXPECT_TRUE(Socket.GetBound());
    EXPECT_EQ(Socket.SocketHandle(), -1);
    Socket.Loaded();
    EXPECT_TRUE(Socket.GetBound());
    EXPECT_EQ(ntohs(LocalName(Socket.SocketHandle()).sin_port), 40024);
}

TEST(SocketList, HoldsTheLiveSockets)
{
    auto& list = net::SocketLayer::Instance().SocketList();
    std::size_t before = list.Count();
    auto socket = std::make_unique<net::TUDPSocket>();
    EXPECT_EQ(list.Count(), before + 1);
    EXPECT_TRUE(list.Contains(socket.get()));
    const net::ASocket* gone = socket.get();
    socket.reset();
    EXPECT_EQ(list.Count(), before);
    EXPECT_FALSE(list.Contains(gone));
}

TEST(IsIPAddress, DottedTextOnly)
{
    in_addr address{};
    EXPECT_TRUE(net::IsIPAddress("192.168.1.5", address));
    EXPECT_EQ(Dotted(address), "192.168.1.5");
    EXPECT_TRUE(net::IsIPAddress("  10.0.0.1", address));
    EXPECT_EQ(Dotted(address), "10.0.0.1");
    EXPECT_TRUE(net::IsIPAddress("255.255.255.255", address));
    EXPECT_EQ(address.s_addr, INADDR_NONE);
    for (const char* text : {"", "   ", "10.0.0", "10.0.0.1.2", "host.example.com", "1.2.3.4a", "300.1.1.1"}) {
        EXPECT_FALSE(net::IsIPAddress(text, address)) << text;
        EXPECT_EQ(address.s_addr, INADDR_NONE) << text;
    }
}

TEST(ResolvePort, DigitsNamesAndEmpty)
{
    EXPECT_EQ(net::ResolvePort("", net::kProtocolUdp).Port, 0);
    EXPECT_EQ(net::ResolvePort("65535", net::kProtocolUdp).Port, 65535);
    EXPECT_EQ(net::ResolvePort("65537", net::kProtocolUdp).Port, 1); // low 16 bits
    EXPECT_EQ(net::ResolvePort("99999999999999999999", net::kProtocolUdp).Port,
              65535); // 99999999999999999999 mod 65536
    net::ResolvedPort unknown = net::ResolvePort("no-such-service", net::kProtocolUdp);
    EXPECT_EQ(unknown.ErrorCode, 11004);
    EXPECT_EQ(unknown.Port, 0);
    net::ResolvedPort negative = net::ResolvePort("-5", net::kProtocolUdp);
    EXPECT_NE(negative.ErrorCode, 0);
    // A known name followed by a NUL and more is not that name.
    ASSERT_NE(net::ResolvePort("domain", net::kProtocolUdp).Port, 0);
    net::ResolvedPort cut = net::ResolvePort(std::string("domain\0x", 8), net::kProtocolUdp);
    EXPECT_EQ(cut.ErrorCode, 11004);
    EXPECT_EQ(cut.Port, 0);
    net::HostResolution host = net::LookupHostName(std::string("localhost\0x", 11));
    EXPECT_EQ(host.ErrorCode, 11001);
    EXPECT_TRUE(host.Addresses.empty());
}

} // namespace
