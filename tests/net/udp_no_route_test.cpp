// SPDX-License-Identifier: MIT
// A namespace with nothing but loopback: no route for a broadcast.
#include "net/errors/socket_errors.h"
#include "net/socket/udp_socket.h"

#include <gtest/gtest.h>

namespace {

TEST(NoRoute, BroadcastReportsTheUnreachableNetwork)
{
    net::TUDPSocket socket;
    socket.SetLocalPort("1153");
    socket.SetBroadcastOption(true);
    socket.SetUseSendBuffer(false);
    int32_t seen = 0;
    socket.OnError = [&](net::ASocket& sender) { seen = sender.ErrorCode(); };
    try {
        socket.BroadcastPacket(65535, "X");
        FAIL() << "the send did not raise";
    } catch (const net::EWinSock& error) {
        EXPECT_STREQ(error.what(), "Send failed: The network is unreachable");
    }
    EXPECT_EQ(seen, 10051);
    EXPECT_EQ(socket.ErrorDescription(), "Send failed: The network is unreachable");
}

} // namespace
