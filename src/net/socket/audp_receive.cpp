// SPDX-License-Identifier: MIT
// Receiving: one datagram per read with its sender, truncation detected,
// and the receive buffer filled after the owner's handler.
#include "net/socket/audp_socket.h"

#include "net/dispatch/readiness_watches.h"
#include "net/errors/socket_errors.h"
#include "net/socket/system_socket.h"
#include "net/socket_layer.h"

#include <algorithm>

namespace net {

bool AUDPSocket::ReadPacketRaw(char* buffer, int32_t size, sockaddr_in& from, int32_t& received)
{
    uint32_t arrivalInterface = 0;
    return ReadPacketRaw(buffer, size, from, received, arrivalInterface);
}

bool AUDPSocket::ReadPacketRaw(char* buffer, int32_t size, sockaddr_in& from, int32_t& received,
                               uint32_t& arrivalInterface)
{
    ClearError();
    arrivalInterface = 0;
    EnsureBound();
    received = 0;
    from = sockaddr_in{};
    bool truncated = false;
    int64_t count = ReceiveDatagram(SocketHandle(), buffer, static_cast<std::size_t>(std::max(size, 0)), from,
                                    arrivalInterface, truncated);
    int32_t error = LastSocketError();
    if (SocketHandle() != -1)
        SocketLayer::Instance().Watches().NoteReceive(SocketHandle());
    if (count >= 0) {
        if (truncated) {
            received = std::max(size, 0);
            SetError(kWsaeMsgSize, kPacketTruncatedMessage);
            return true;
        }
        received = static_cast<int32_t>(count);
        return true;
    }
    if (error == kWsaeWouldBlock)
        return false;
    RaiseLastError("Error reading packet", error);
}

bool AUDPSocket::ReadPacket(std::string& data, sockaddr_in& from)
{
    uint32_t arrivalInterface = 0;
    return ReadPacket(data, from, arrivalInterface);
}

bool AUDPSocket::ReadPacket(std::string& data, sockaddr_in& from, uint32_t& arrivalInterface)
{
    if (!receiveBuffer_.IsEmpty()) {
        std::unique_ptr<TUDPReceiveBufferItem> head = receiveBuffer_.RemoveHead();
        data = std::move(head->Value);
        from = head->From;
        arrivalInterface = head->ArrivalInterface;
        ++packetsRead_;
        return true;
    }
    // A buffer of this call: a handler run from inside (OnError) may read too,
    // or destroy this socket, which is then touched no more.
    auto alive = LifeToken();
    std::string buffer(static_cast<std::size_t>(std::max(maxPacketSize_, 0)), '\0');
    int32_t received = 0;
    if (!ReadPacketRaw(buffer.data(), static_cast<int32_t>(buffer.size()), from, received, arrivalInterface)) {
        data.clear();
        return false;
    }
    buffer.resize(static_cast<std::size_t>(received));
    data = std::move(buffer);
    if (!alive.expired())
        ++packetsRead_;
    return true;
}

void AUDPSocket::TriggerDataAvailable()
{
    if (OnDataAvailable)
        OnDataAvailable(*this);
}

void AUDPSocket::HandleReadEvent()
{
    auto alive = LifeToken();
    uint64_t readBefore = packetsRead_;
    TriggerDataAvailable();
    if (alive.expired() || !useReceiveBuffer_)
        return;
    DrainIntoReceiveBuffer();
    // The kernel will not announce what now sits in the buffer. An owner
    // that reads one datagram per OnDataAvailable gets another call for the
    // next one; an owner that did not read is not called again and again.
    if (!alive.expired() && packetsRead_ != readBefore && !receiveBuffer_.IsEmpty() && SocketHandle() != -1)
        SocketLayer::Instance().Watches().PostRead(SocketHandle());
}

// Up to the buffer's limit, and at most kMaxDrainPerNotification datagrams per
// notification: under a flood the rest waits in the kernel, whose queue the
// read watch reports again at the next loop turn, so the loop stays responsive
// and memory stays bounded.
void AUDPSocket::DrainIntoReceiveBuffer()
{
    auto alive = LifeToken();
    for (int drained = 0; drained < kMaxDrainPerNotification && SocketHandle() != -1; ++drained) {
        if (maxReceiveBufferPacketCount_ >= 0 &&
            receiveBuffer_.Count() >= static_cast<std::size_t>(maxReceiveBufferPacketCount_))
            return;
        auto item = std::make_unique<TUDPReceiveBufferItem>(
            std::string(static_cast<std::size_t>(std::max(maxPacketSize_, 0)), '\0'));
        int32_t received = 0;
        bool got = ReadPacketRaw(item->Value.data(), static_cast<int32_t>(item->Value.size()), item->From, received,
                                 item->ArrivalInterface);
        if (alive.expired() || !got)
            return;
        item->Value.resize(static_cast<std::size_t>(received));
        receiveBuffer_.Append(std::move(item));
    }
}

} // namespace net
