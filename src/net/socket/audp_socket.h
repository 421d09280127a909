// SPDX-License-Identifier: MIT
// The UDP socket: lazy binding, the broadcast option, sending datagrams to
// numeric addresses, broadcasts and host names, and receiving them with the
// sender's address, optionally through a receive buffer.
#pragma once

#include "net/socket/send_buffer_socket.h"

namespace net {

class AUDPSocket : public ASocketExSendBuffer {
public:
    explicit AUDPSocket(QObject* owner = nullptr);
    ~AUDPSocket() override;

    int32_t MaxPacketSize() const { return maxPacketSize_; }
    void SetMaxPacketSize(int32_t bytes) { maxPacketSize_ = bytes; }
    bool BroadcastOption() const { return broadcastOption_; }
    void SetBroadcastOption(bool value);
    bool UseReceiveBuffer() const { return useReceiveBuffer_; }
    void SetUseReceiveBuffer(bool value) { useReceiveBuffer_ = value; }
    int32_t MaxReceiveBufferPacketCount() const { return maxReceiveBufferPacketCount_; }
    void SetMaxReceiveBufferPacketCount(int32_t count) { maxReceiveBufferPacketCount_ = count; }
    const TUDPReceiveBuffer& ReceiveBuffer() const { return receiveBuffer_; }

    bool IsBound() const { return isBound_; }
    bool GetBound() const;
    virtual void SetBound(bool value);

    void SetProtocol(uint8_t protocol) override;
    void SetLocalHost(const std::string& host) override;
    void SetLocalPort(const std::string& port) override;
    void Loaded() override;

    void EnsureBound();
    virtual void Bind();

    void SendPacketTo(in_addr address, uint16_t portNum, const std::string& data);
    void BroadcastPacket(uint16_t portNum, const std::string& data);
    void BroadcastPacket(const std::string& port, const std::string& data);
    // The same broadcast, leaving only through the interface with this index
    // (0: wherever the routing table sends it, as BroadcastPacket does).
    void BroadcastPacketThrough(uint32_t interfaceIndex, uint16_t portNum, const std::string& data);
    void BroadcastPacketThrough(uint32_t interfaceIndex, const std::string& port, const std::string& data);
    void SendPacketToHost(const std::string& host, const std::string& port, const std::string& data);

    bool ReadPacket(std::string& data, sockaddr_in& from);
    // Also tells the index of the interface the datagram arrived on (0 when
    // the kernel did not say).
    bool ReadPacket(std::string& data, sockaddr_in& from, uint32_t& arrivalInterface);
    bool ReadPacketRaw(char* buffer, int32_t size, sockaddr_in& from, int32_t& received);
    bool ReadPacketRaw(char* buffer, int32_t size, sockaddr_in& from, int32_t& received, uint32_t& arrivalInterface);

    std::function<void(AUDPSocket& sender)> OnDataAvailable;
    std::function<void(AUDPSocket& sender, int32_t errorCode, in_addr addr, uint16_t portNum, const std::string& host,
                       const std::string& port, const char* data, int32_t dataSize)>
        OnSendFailed;

protected:
    void HandleSocketEvent(uint32_t events, uint32_t error) override;
    virtual void HandleReadEvent();
    virtual void TriggerDataAvailable();
    void FlushSendBuffer() override;
    void HostResolved(int32_t errorCode, const std::string& host, in_addr address) override;
    uint32_t GetAsyncEvents() const override;
    void ApplyBroadcastOption(bool value);
    void ApplyPacketInfoOption();

private:
    // One send-to call; false with the WinSock error when not all went.
    bool SendNow(const sockaddr_in& to, const std::string& data, int32_t& error, uint32_t interfaceIndex = 0);
    void SendPacketVia(in_addr address, uint16_t portNum, const std::string& data, uint32_t interfaceIndex);
    bool HasSendableQueued() const;
    void Queue(const sockaddr_in& to, const std::string& data, uint32_t interfaceIndex = 0);
    void FireSendFailed(int32_t error, in_addr addr, uint16_t port, const std::string& host,
                        const std::string& portText, const std::string& data);
    void DrainIntoReceiveBuffer();
    TUDPSendBufferItem* FirstAwaiting(const std::string& host) const;

    static constexpr int kMaxDrainPerNotification = 64;

    uint64_t packetsRead_ = 0; // ReadPacket calls that delivered a datagram
    int32_t maxPacketSize_ = 4096;
    bool broadcastOption_ = false;
    bool isBound_ = false;
    bool storedBound_ = false;
    bool useReceiveBuffer_ = true;
    int32_t maxReceiveBufferPacketCount_ = -1;
    TUDPReceiveBuffer receiveBuffer_;
};

} // namespace net
