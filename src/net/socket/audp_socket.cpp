// SPDX-License-Identifier: MIT
// Construction, properties and binding of the UDP socket.
#include "net/socket/audp_socket.h"

#include "net/dispatch/readiness_watches.h"
#include "net/errors/socket_errors.h"
#include "net/lookups/name_resolution.h"
#include "net/socket/system_socket.h"
#include "net/socket_layer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace net {

AUDPSocket::AUDPSocket(QObject* owner) : ASocketExSendBuffer(owner)
{
    ASocket::SetProtocol(kProtocolUdp);
    SetUseSendBuffer(true);
}

AUDPSocket::~AUDPSocket() { receiveBuffer_.Clear(); }

void AUDPSocket::SetBroadcastOption(bool value)
{
    if (value == broadcastOption_)
        return;
    // A closed socket is never reopened; the option waits for the next bind.
    if (isBound_ && SocketHandle() != -1)
        ApplyBroadcastOption(value);
    broadcastOption_ = value;
}

bool AUDPSocket::GetBound() const { return (IsLoading() || IsDesigning()) ? storedBound_ : isBound_; }

void AUDPSocket::SetBound(bool value)
{
    if (IsLoading() || IsDesigning()) {
        storedBound_ = value;
        return;
    }
    if (value && !isBound_)
        Bind();
}

void AUDPSocket::SetProtocol(uint8_t protocol)
{
    if (protocol != kProtocolUdp)
        RaiseError("AUDPSocket.SetProtocol: Only UDP allowed here", kSocketErrorProtocolNotSet);
}

void AUDPSocket::SetLocalHost(const std::string& host)
{
    if (host == LocalHost())
        return;
    CheckClosed("SetLocalHost");
    StoreLocalHost(host);
    isBound_ = false;
}

void AUDPSocket::SetLocalPort(const std::string& port)
{
    if (port == LocalPort())
        return;
    CheckClosed("SetLocalPort");
    StoreLocalPort(port);
    isBound_ = false;
}

void AUDPSocket::Loaded()
{
    ASocketExSendBuffer::Loaded();
    if (IsDesigning() || !storedBound_)
        return;
    Bind();
    if (broadcastOption_)
        ApplyBroadcastOption(true);
}

void AUDPSocket::EnsureBound()
{
    if (!isBound_)
        Bind();
}

void AUDPSocket::Bind()
{
    CloseHandle();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (!LocalHost().empty()) {
        ResolvedHost host = ResolveHost(LocalHost());
        if (host.ErrorCode == 0)
            address.sin_addr = host.Address;
    }
    if (!LocalPort().empty()) {
        ResolvedPort port = ResolvePort(LocalPort(), Protocol());
        if (port.ErrorCode == 0)
            address.sin_port = htons(port.Port);
    }
    if (SocketHandle() == -1) {
        int fd = OpenSocketHandle(Protocol() == kProtocolUdp);
        if (fd < 0)
            RaiseLastError("Socket allocation failed");
        AdoptHandle(fd);
    }
    if (::bind(SocketHandle(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        RaiseLastError("Socket bind failed");
    isBound_ = true;
    ApplyPacketInfoOption();
    if (!MakeNonBlocking(SocketHandle()))
        RaiseLastError("Asynchronous mode not set");
    SocketLayer::Instance().Watches().Watch(GetWindowHandle(), SocketHandle(), GetAsyncEvents());
    if (broadcastOption_)
        ApplyBroadcastOption(true);
}

void AUDPSocket::ApplyBroadcastOption(bool value)
{
    if (!SetIntegerOption(SocketHandle(), SOL_SOCKET, SO_BROADCAST, value ? -1 : 0))
        RaiseLastError("Socket broadcast option not set");
}

// Every datagram read tells the interface it arrived on.
void AUDPSocket::ApplyPacketInfoOption()
{
    if (!SetIntegerOption(SocketHandle(), IPPROTO_IP, IP_PKTINFO, 1))
        RaiseLastError("Socket packet info option not set");
}

uint32_t AUDPSocket::GetAsyncEvents() const { return kSocketEventRead | kSocketEventWrite; }

void AUDPSocket::HandleSocketEvent(uint32_t events, uint32_t error)
{
    auto alive = LifeToken();
    if (events & kSocketEventRead)
        HandleReadEvent();
    if (!alive.expired())
        ASocketExSendBuffer::HandleSocketEvent(events, error);
}

} // namespace net
