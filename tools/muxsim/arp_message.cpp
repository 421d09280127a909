// SPDX-License-Identifier: MIT
#include "arp_message.h"

#include <cstring>

namespace muxsim {
namespace {

constexpr std::size_t kArpLength = 28;
constexpr char kEthernetIPv4Header[] = {0x00, 0x01, 0x08, 0x00, 6, 4};
constexpr unsigned char kRequest = 1;
constexpr unsigned char kReply = 2;

void PutAddress(std::string& packet, unsigned networkOrder)
{
    packet.append(reinterpret_cast<const char*>(&networkOrder), 4);
}

} // namespace

std::optional<ArpRequest> ParseArpRequest(std::string_view packet)
{
    if (packet.size() < kArpLength || packet.substr(0, 6) != std::string_view(kEthernetIPv4Header, 6) ||
        packet[6] != 0 || packet[7] != kRequest)
        return std::nullopt;
    ArpRequest request;
    std::memcpy(request.SenderHardware.data(), packet.data() + 8, 6);
    std::memcpy(&request.SenderAddress, packet.data() + 14, 4);
    std::memcpy(&request.TargetAddress, packet.data() + 24, 4);
    return request;
}

std::string ArpReply(const ArpRequest& request, const EthernetAddress& holder)
{
    std::string packet(kEthernetIPv4Header, 6);
    packet += '\0';
    packet += static_cast<char>(kReply);
    packet.append(reinterpret_cast<const char*>(holder.data()), holder.size());
    PutAddress(packet, request.TargetAddress);
    packet.append(reinterpret_cast<const char*>(request.SenderHardware.data()), request.SenderHardware.size());
    PutAddress(packet, request.SenderAddress);
    return packet;
}

} // namespace muxsim
