// SPDX-License-Identifier: MIT
#include "protocol/datagram_intake.h"

#include "checks/dotted_address.h"
#include "net/errors/socket_errors.h"
#include "net/socket/udp_socket.h"

#include <arpa/inet.h>

namespace protocol {

Intake TakeDatagram(net::AUDPSocket& socket, std::string& text, std::string& sender, uint32_t& arrivalInterface)
{
    sockaddr_in from{};
    if (!socket.ReadPacket(text, from, arrivalInterface))
        return Intake::Nothing;
    if (socket.ErrorCode() == net::kWsaeMsgSize)
        return Intake::Dropped;
    sender = checks::DottedText(ntohl(from.sin_addr.s_addr));
    return Intake::Datagram;
}

} // namespace protocol
