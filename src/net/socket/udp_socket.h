// SPDX-License-Identifier: MIT
// The UDP socket component as owners use it, with its published defaults.
#pragma once

#include "net/socket/audp_socket.h"

namespace net {

class TUDPSocket : public AUDPSocket {
public:
    explicit TUDPSocket(QObject* owner = nullptr) : AUDPSocket(owner) {}
};

} // namespace net
