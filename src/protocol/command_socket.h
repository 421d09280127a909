// SPDX-License-Identifier: MIT
#pragma once

namespace net {
class TUDPSocket;
}

namespace protocol {

// The settings the command socket runs with: broadcasts allowed, no send
// queue and no receive buffer (one datagram per notification), and its port
// before the first discovery. The device protocol applies them to the socket
// it is given.
void ConfigureCommandSocket(net::TUDPSocket& socket);

} // namespace protocol
