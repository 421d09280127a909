// SPDX-License-Identifier: MIT
#pragma once
#include "net/interfaces/interface_selection.h"
#include "net/socket/udp_socket.h"
#include "protocol/transport.h"

namespace protocol {

// The program's transport: the command socket on Qt's event loop, with the
// interfaces the operator chose. Every wait runs the event loop, so the
// window repaints and answers while the engine waits.
class SocketTransport : public Transport {
public:
    explicit SocketTransport(net::InterfaceSelection interfaces = {});
    ~SocketTransport() override;
    SocketTransport(const SocketTransport&) = delete;
    SocketTransport& operator=(const SocketTransport&) = delete;

    // Closes the command socket for good; nothing is sent or read after it.
    void Terminate() { socket_.Terminate(); }
    const net::InterfaceSelection& Interfaces() const { return interfaces_; }
    net::TUDPSocket& CommandSocket() { return socket_; }

    void SetReceiver(Receiver receiver) override { receiver_ = std::move(receiver); }
    void SetFailureHandler(FailureHandler handler) override { failure_ = std::move(handler); }
    void UseDiscoveryPort() override;
    SendResult Broadcast(const Route& route, const std::string& command, PortForm form) override;
    DiscoveryRoutes RoutesForDiscovery() override;
    std::string InterfaceName(uint32_t index) override;
    TimePoint Now() const override { return Clock::now(); }
    bool RunUntil(TimePoint deadline, const std::function<bool()>& done) override;
    void DeliverWaiting() override;
    void WakeUp() override;

private:
    void OnDataAvailable();
    void OnError(net::ASocket& socket);

    net::InterfaceSelection interfaces_;
    net::TUDPSocket socket_;
    Receiver receiver_;
    FailureHandler failure_;
    // A send through one interface is in flight: losing that interface fails
    // only that send, never the whole program.
    bool sendingThroughInterface_ = false;
    bool interfaceLostInSend_ = false;
};

} // namespace protocol
