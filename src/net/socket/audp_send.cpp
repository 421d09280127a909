// SPDX-License-Identifier: MIT
// Sending: immediate sends, the send queue and sends to named hosts.
#include "net/socket/audp_socket.h"

#include "net/dispatch/readiness_watches.h"
#include "net/errors/socket_errors.h"
#include "net/lookups/name_resolution.h"
#include "net/socket/system_socket.h"
#include "net/socket_layer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <system_error>

namespace net {

namespace {

sockaddr_in MakeAddress(in_addr address, uint16_t portNum)
{
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(portNum);
    result.sin_addr = address;
    return result;
}

in_addr AllOnes()
{
    in_addr address{};
    address.s_addr = INADDR_BROADCAST;
    return address;
}

} // namespace

bool AUDPSocket::SendNow(const sockaddr_in& to, const std::string& data, int32_t& error, uint32_t interfaceIndex)
{
    error = 0;
    if (GetSendQuota(data.size()) < data.size())
        return false;
    int64_t sent = SendDatagram(SocketHandle(), to, data, interfaceIndex);
    if (sent < 0) {
        error = LastSocketError();
        if (error == kWsaeWouldBlock) {
            SetWriteReady(false);
            if (SocketHandle() != -1)
                SocketLayer::Instance().Watches().RequestWriteNotification(SocketHandle());
        }
        return false;
    }
    CountSent(static_cast<std::size_t>(sent));
    return static_cast<std::size_t>(sent) == data.size();
}

bool AUDPSocket::HasSendableQueued() const
{
    for (auto* item = SendBuffer().Head(); item; item = TUDPSendBuffer::NextOf(item))
        if (!item->AwaitingLookup)
            return true;
    return false;
}

void AUDPSocket::Queue(const sockaddr_in& to, const std::string& data, uint32_t interfaceIndex)
{
    auto item = std::make_unique<TUDPSendBufferItem>(data);
    item->Address = to;
    item->InterfaceIndex = interfaceIndex;
    MutableSendBuffer().Append(std::move(item));
}

void AUDPSocket::FireSendFailed(int32_t error, in_addr addr, uint16_t port, const std::string& host,
                                const std::string& portText, const std::string& data)
{
    if (OnSendFailed)
        OnSendFailed(*this, error, addr, port, host, portText, data.data(), static_cast<int32_t>(data.size()));
}

void AUDPSocket::SendPacketTo(in_addr address, uint16_t portNum, const std::string& data)
{
    SendPacketVia(address, portNum, data, 0);
}

void AUDPSocket::SendPacketVia(in_addr address, uint16_t portNum, const std::string& data, uint32_t interfaceIndex)
{
    EnsureBound();
    sockaddr_in to = MakeAddress(address, portNum);
    // Datagrams waiting only for a name lookup do not hold later ones back:
    // they join the queue when their address is known.
    if (!UseSendBuffer() || (WriteReady() && !HasSendableQueued())) {
        int32_t error = 0;
        if (SendNow(to, data, error, interfaceIndex))
            return;
        if (error != kWsaeWouldBlock && error != 0) {
            auto alive = LifeToken();
            FireSendFailed(error, address, portNum, {}, {}, data);
            if (alive.expired())
                return;
        }
        if (!UseSendBuffer())
            RaiseLastError("Send failed", error);
        // A datagram refused outright has been reported; queueing it would
        // report it a second time at the next flush, or hold up every later
        // datagram when no write notification is due.
        if (error != kWsaeWouldBlock && error != 0)
            return;
    }
    Queue(to, data, interfaceIndex);
}

void AUDPSocket::BroadcastPacket(uint16_t portNum, const std::string& data)
{
    EnsureBound();
    SendPacketTo(AllOnes(), portNum, data);
}

void AUDPSocket::BroadcastPacket(const std::string& port, const std::string& data)
{
    EnsureBound();
    ResolvedPort resolved = ResolvePort(port, kProtocolUdp);
    if (resolved.ErrorCode != 0)
        RaiseLastError("Error resolving port", resolved.ErrorCode);
    SendPacketTo(AllOnes(), resolved.Port, data);
}

void AUDPSocket::BroadcastPacketThrough(uint32_t interfaceIndex, uint16_t portNum, const std::string& data)
{
    EnsureBound();
    SendPacketVia(AllOnes(), portNum, data, interfaceIndex);
}

void AUDPSocket::BroadcastPacketThrough(uint32_t interfaceIndex, const std::string& port, const std::string& data)
{
    EnsureBound();
    ResolvedPort resolved = ResolvePort(port, kProtocolUdp);
    if (resolved.ErrorCode != 0)
        RaiseLastError("Error resolving port", resolved.ErrorCode);
    SendPacketVia(AllOnes(), resolved.Port, data, interfaceIndex);
}

void AUDPSocket::FlushSendBuffer()
{
    auto alive = LifeToken();
    // A handler that throws does not strand the datagrams after its own: no
    // further write notification would come for them. Its error is passed on
    // once the queue has been walked.
    std::exception_ptr firstError;
    // Always continue from the head: every item before the one found was
    // sent or dropped, and an event handler run meanwhile may have changed
    // the queue.
    for (;;) {
        TUDPSendBufferItem* item = SendBuffer().Head();
        while (item && item->AwaitingLookup)
            item = TUDPSendBuffer::NextOf(item);
        if (!item)
            break;
        int32_t error = 0;
        if (SendNow(item->Address, item->Value, error, item->InterfaceIndex)) {
            MutableSendBuffer().Delete(item);
            continue;
        }
        if (error == kWsaeWouldBlock || error == 0)
            break;
        std::unique_ptr<TUDPSendBufferItem> failed = MutableSendBuffer().Unlink(item);
        try {
            FireSendFailed(error, failed->Address.sin_addr, ntohs(failed->Address.sin_port), {}, {}, failed->Value);
        } catch (...) {
            if (!firstError)
                firstError = std::current_exception();
        }
        if (alive.expired())
            break;
    }
    if (firstError)
        std::rethrow_exception(firstError);
}

TUDPSendBufferItem* AUDPSocket::FirstAwaiting(const std::string& host) const
{
    for (auto* item = SendBuffer().Head(); item; item = TUDPSendBuffer::NextOf(item))
        if (item->AwaitingLookup && item->Host == host)
            return item;
    return nullptr;
}

void AUDPSocket::HostResolved(int32_t errorCode, const std::string& host, in_addr address)
{
    auto alive = LifeToken();
    std::exception_ptr firstError;
    while (TUDPSendBufferItem* found = FirstAwaiting(host)) {
        std::unique_ptr<TUDPSendBufferItem> item = MutableSendBuffer().Unlink(found);
        ResolvedPort port = ResolvePort(item->Port, kProtocolUdp);
        try {
            if (errorCode != 0)
                FireSendFailed(errorCode, in_addr{}, port.Port, host, item->Port, item->Value);
            else if (port.ErrorCode != 0) // never send a datagram to a port we could not resolve
                FireSendFailed(port.ErrorCode, address, 0, host, item->Port, item->Value);
            else
                SendPacketTo(address, port.Port, item->Value);
        } catch (...) {
            // One refused datagram must not strand the others of this host.
            if (!firstError)
                firstError = std::current_exception();
        }
        if (alive.expired())
            return;
    }
    if (WriteReady() && HasSendableQueued())
        HandleWriteReady();
    if (firstError)
        std::rethrow_exception(firstError);
}

void AUDPSocket::SendPacketToHost(const std::string& host, const std::string& port, const std::string& data)
{
    EnsureBound();
    auto item = std::make_unique<TUDPSendBufferItem>(data);
    item->Host = host;
    item->Port = port;
    item->AwaitingLookup = true;
    MutableSendBuffer().Append(std::move(item));

    in_addr address{};
    if (IsIPAddress(host, address)) {
        HostResolved(0, host, address);
        return;
    }
    // No host names no destination: reported like a failed lookup, nothing kept.
    if (host.empty()) {
        HostResolved(kWsaHostNotFound, host, in_addr{});
        return;
    }
    auto lookup = std::make_unique<TSocketHostLookup>();
    lookup->SetHost(host);
    lookup->OnComplete = [this](TSocketHostLookup& done) { HostLookupComplete(done); };
    TSocketHostLookup* started = lookup.get();
    Lookups().push_back(std::move(lookup));
    try {
        started->Start();
    } catch (const std::system_error& error) {
        // No worker could be started: report the datagrams instead of
        // leaving them waiting for an answer that never comes.
        std::erase_if(Lookups(), [&](const auto& pending) { return pending.get() == started; });
        // Out of threads is no would-block: the datagram will not go later.
        int32_t code = WinSockErrorFromErrno(error.code().value());
        if (code == 0 || code == kWsaeWouldBlock)
            code = kWsaeNoBufs;
        HostResolved(code, host, in_addr{});
    }
}

} // namespace net
