// SPDX-License-Identifier: MIT
// Error texts, the description shown to the operator, and the mapping of
// Linux error values onto the WinSock numbering.
#include "net/errors/socket_errors.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <netdb.h>

namespace {

TEST(WinSockErrorText, TableTextsAndFallback)
{
    EXPECT_EQ(net::WinSockErrorText(0), "");
    EXPECT_EQ(net::WinSockErrorText(10004), "Socket error: System level interruption");
    EXPECT_EQ(net::WinSockErrorText(10038), "Socket operation on non-socket or not connected");
    EXPECT_EQ(net::WinSockErrorText(10048), "Address in use");
    EXPECT_EQ(net::WinSockErrorText(10051), "The network is unreachable");
    EXPECT_EQ(net::WinSockErrorText(10065), "Host is unreachable");
    EXPECT_EQ(net::WinSockErrorText(11004), "Host address not found");
    for (int code : {10035, 10039, 10041, 10056, 10059, 10062, 11002})
        EXPECT_EQ(net::WinSockErrorText(code), "WinSock error #" + std::to_string(code));
}

TEST(SocketErrorText, OwnTableOnlyElseEmpty)
{
    EXPECT_EQ(net::SocketErrorText(20001), "Operation only allowed on closed socket");
    EXPECT_EQ(net::SocketErrorText(40005), "Connection refused");
    EXPECT_EQ(net::SocketErrorText(60007), "Prtotocol error");
    EXPECT_EQ(net::SocketErrorText(20006), "");
    EXPECT_EQ(net::SocketErrorText(10048), "");
}

TEST(DescribeSocketError, OrderOfTheRules)
{
    EXPECT_EQ(net::DescribeSocketError(0, "stale message"), "");
    EXPECT_EQ(net::DescribeSocketError(10065, "Send failed: Host is unreachable"), "Send failed: Host is unreachable");
    EXPECT_EQ(net::DescribeSocketError(42, "kept whatever the code"), "kept whatever the code");
    EXPECT_EQ(net::DescribeSocketError(10051, ""), "The network is unreachable");
    EXPECT_EQ(net::DescribeSocketError(10035, ""), "WinSock error #10035");
    EXPECT_EQ(net::DescribeSocketError(11002, ""), "WinSock error #11002");
    EXPECT_EQ(net::DescribeSocketError(9999, ""), "Socket error #9999");
    EXPECT_EQ(net::DescribeSocketError(-1, ""), "Socket error #-1");
    EXPECT_EQ(net::DescribeSocketError(60007, ""), "Prtotocol error");
}

TEST(DescribeSocketError, CategoryByRange)
{
    EXPECT_EQ(net::DescribeSocketError(20006, ""), "Socket error #20006");
    EXPECT_EQ(net::DescribeSocketError(30002, ""), "Socket proxy error #30002");
    EXPECT_EQ(net::DescribeSocketError(39999, ""), "Socket proxy error #39999");
    EXPECT_EQ(net::DescribeSocketError(40009, ""), "Socket socks error #40009");
    EXPECT_EQ(net::DescribeSocketError(50003, ""), "Socket http-tunnel error #50003");
    EXPECT_EQ(net::DescribeSocketError(60011, ""), "Socket general error #60011");
    EXPECT_EQ(net::DescribeSocketError(70000, ""), "Socket user error #70000");
}

TEST(WinSockErrorFromErrno, TheNumbersTheWindowChecksAndTheirNeighbours)
{
    EXPECT_EQ(net::WinSockErrorFromErrno(0), 0);
    EXPECT_EQ(net::WinSockErrorFromErrno(EADDRINUSE), 10048);
    EXPECT_EQ(net::WinSockErrorFromErrno(ENETUNREACH), 10051);
    EXPECT_EQ(net::WinSockErrorFromErrno(EHOSTUNREACH), 10065);
    EXPECT_EQ(net::WinSockErrorFromErrno(EACCES), 10013);
    EXPECT_EQ(net::WinSockErrorFromErrno(EAGAIN), 10035);
    EXPECT_EQ(net::WinSockErrorFromErrno(EWOULDBLOCK), 10035);
    EXPECT_EQ(net::WinSockErrorFromErrno(EMSGSIZE), 10040);
    EXPECT_EQ(net::WinSockErrorFromErrno(EBADF), 10038);
    EXPECT_EQ(net::WinSockErrorFromErrno(EINTR), 10004);
    EXPECT_EQ(net::WinSockErrorFromErrno(ENOBUFS), 10055);
    EXPECT_EQ(net::WinSockErrorFromErrno(ECONNREFUSED), 10061);
    // Without a WinSock counterpart the Linux value stays, below 10000.
    EXPECT_EQ(net::WinSockErrorFromErrno(EIO), EIO);
}

TEST(WinSockErrorFromAddrInfo, ResolverAnswers)
{
    EXPECT_EQ(net::WinSockErrorFromAddrInfo(0, 0), 0);
    EXPECT_EQ(net::WinSockErrorFromAddrInfo(EAI_NONAME, 0), 11001);
    EXPECT_EQ(net::WinSockErrorFromAddrInfo(EAI_AGAIN, 0), 11002);
    EXPECT_EQ(net::WinSockErrorFromAddrInfo(EAI_FAIL, 0), 11003);
    EXPECT_EQ(net::WinSockErrorFromAddrInfo(EAI_SYSTEM, ECONNREFUSED), 10061);
}

} // namespace
