// SPDX-License-Identifier: MIT
#include "protocol/command_socket.h"

#include "net/socket/udp_socket.h"
#include "protocol/protocol_constants.h"

namespace protocol {

void ConfigureCommandSocket(net::TUDPSocket& socket)
{
    socket.SetLocalPort(kCommandInitialLocalPort);
    socket.SetBroadcastOption(true);
    socket.SetUseSendBuffer(false);
    socket.SetUseReceiveBuffer(false);
}

} // namespace protocol
