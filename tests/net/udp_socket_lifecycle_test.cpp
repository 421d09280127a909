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
    net::TUDPSocket socket;
    std::vector<int32_t> errors;
    RawUdp peer;

    Lifecycle()
    {
        socket.SetUseSendBuffer(false);
        socket.OnError = [this](net::ASocket& s) { errors.push_back(s.ErrorCode()); };
    }
};

TEST_F(Lifecycle, BindsAtTheFirstSendWithTheLastPortSet)
{
    socket.SetLocalPort("1154");
    EXPECT_EQ(socket.SocketHandle(), -1);
    EXPECT_FALSE(socket.IsBound());
    socket.SetLocalPort("1153");
    EXPECT_EQ(socket.SocketHandle(), -1);
    EXPECT_EQ(socket.LocalPort(), "1153");
    socket.SendPacketTo(Address("127.0.0.1"), peer.Port(), "first");
    ASSERT_NE(socket.SocketHandle(), -1);
    sockaddr_in name = LocalName(socket.SocketHandle());
    EXPECT_EQ(ntohs(name.sin_port), 1153);
    EXPECT_EQ(name.sin_addr.s_addr, htonl(INADDR_ANY));
    EXPECT_NE(socket.WindowHandle(), 0u);
    auto datagram = peer.Receive(2000);
    ASSERT_TRUE(datagram);
    EXPECT_EQ(ntohs(datagram->from.sin_port), 1153);
}

TEST_F(Lifecycle, SamePortAgainKeepsTheBinding)
{
    socket.SetLocalPort("1153");
    socket.SetBound(true);
    int fd = socket.SocketHandle();
    socket.SetLocalPort("1153");
    EXPECT_TRUE(socket.IsBound());
    socket.SendPacketTo(Address("127.0.0.1"), peer.Port(), "x");
    EXPECT_EQ(socket.SocketHandle(), fd);
}

TEST_F(Lifecycle, NewPortRebindsAtTheNextSend)
{
    socket.SetLocalPort("40020");
    socket.SetBound(true);
    socket.SetLocalPort("40021");
    EXPECT_FALSE(socket.IsBound());
    socket.SendPacketTo(Address("127.0.0.1"), peer.Port(), "x");
    EXPECT_EQ(ntohs(LocalName(socket.SocketHandle()).sin_port), 40021);
    // The old port is free again.
    EXPECT_NO_THROW(RawUdp(40020));
}

TEST_F(Lifecycle, LocalHostChoosesTheAddress)
{
    socket.SetLocalHost("127.0.0.1");
    socket.SetLocalPort("40022");
    socket.SetBound(true);
    EXPECT_EQ(Dotted(LocalName(socket.SocketHandle()).sin_addr), "127.0.0.1");
}

TEST_F(Lifecycle, PortTakenFailsTheBind)
{
    RawUdp holder(1153);
    socket.SetLocalPort("1153");
    try {
        socket.BroadcastPacket(65535, "X");
        FAIL() << "the bind did not raise";
    } catch (const net::EWinSock& error) {
        EXPECT_STREQ(error.what(), "Socket bind failed: Address in use");
    }
    EXPECT_EQ(socket.ErrorCode(), 10048);
    EXPECT_EQ(errors, std::vector<int32_t>{10048});
    EXPECT_FALSE(socket.IsBound());
}

TEST_F(Lifecycle, AfterTerminateSendsReportTheClosedHandle)
{
    socket.SetLocalPort("40023");
    socket.SetBound(true);
    socket.Terminate();
    EXPECT_TRUE(socket.Terminated());
    EXPECT_EQ(socket.SocketHandle(), -1);
    EXPECT_TRUE(socket.IsBound()); // it never reopens itself
    EXPECT_THROW(socket.SendPacketTo(Address("127.0.0.1"), peer.Port(), "x"), net::EWinSock);
    EXPECT_EQ(socket.ErrorCode(), 10038);
    EXPECT_EQ(socket.ErrorDescription(), "Send failed: Socket operation on non-socket or not connected");
}

TEST_F(Lifecycle, OnlyUdpIsAllowed)
{
    EXPECT_NO_THROW(socket.SetProtocol(net::kProtocolUdp));
    try {
        socket.SetProtocol(net::kProtocolTcp);
        FAIL() << "no error";
    } catch (const net::EWinSock& error) {
        EXPECT_STREQ(error.what(), "AUDPSocket.SetProtocol: Only UDP allowed here");
    }
    EXPECT_EQ(socket.ErrorCode(), 20004);
    EXPECT_EQ(socket.Protocol(), net::kProtocolUdp);
}

TEST_F(Lifecycle, StoredBoundBindsWhenLoaded)
{
    socket.BeginLoading();
    socket.SetLocalPort("40024");
    socket.SetBound(true);
    EXPECT_TRUE(socket.GetBound());
    EXPECT_EQ(socket.SocketHandle(), -1);
    socket.Loaded();
    EXPECT_TRUE(socket.GetBound());
    EXPECT_EQ(ntohs(LocalName(socket.SocketHandle()).sin_port), 40024);
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
