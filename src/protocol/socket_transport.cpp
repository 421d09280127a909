// SPDX-License-Identifier: MIT
#include "protocol/socket_transport.h"

#include "checks/dotted_address.h"
#include "net/errors/socket_errors.h"
#include "net/interfaces/usable_interfaces.h"
#include "net/socket_layer.h"
#include "protocol/command_socket.h"
#include "protocol/datagram_intake.h"
#include "protocol/event_loop_wait.h"
#include "protocol/protocol_constants.h"

#include <QAbstractEventDispatcher>
#include <QDeadlineTimer>
#include <algorithm>
#include <chrono>

#include <arpa/inet.h>

namespace protocol {

namespace {
// More than a full receive queue of the default size holds; a flood may go
// on arriving while the queue is emptied.
constexpr int kMaxWaitingDatagrams = 1024;

std::string Dotted(in_addr address) { return checks::DottedText(ntohl(address.s_addr)); }
} // namespace

SocketTransport::SocketTransport(net::InterfaceSelection interfaces) : interfaces_(std::move(interfaces))
{
    ConfigureCommandSocket(socket_);
    socket_.OnDataAvailable = [this](net::AUDPSocket&) { OnDataAvailable(); };
    socket_.OnError = [this](net::ASocket& socket) { OnError(socket); };
    // A failure raised inside a socket notification ends the device work as
    // a socket failure does, instead of escaping into Qt.
    if (net::SocketLayer::Exists())
        net::SocketLayer::Instance().OnUnhandledException = [this](const std::exception& error) {
            if (failure_)
                failure_(0, error.what());
        };
}

SocketTransport::~SocketTransport()
{
    socket_.OnDataAvailable = nullptr;
    socket_.OnError = nullptr;
    if (net::SocketLayer::Exists())
        net::SocketLayer::Instance().OnUnhandledException = nullptr;
    socket_.Terminate();
}

void SocketTransport::UseDiscoveryPort() { socket_.SetLocalPort(kCommandLocalPort); }

SendResult SocketTransport::Broadcast(const Route& route, const std::string& command, PortForm form)
{
    uint32_t index = route.Index;
    if (!route.Name.empty()) {
        // Interfaces come and go: the one the device answered on is looked
        // up again by name, and one that is gone or down sends nothing.
        index = net::UsableInterfaceIndex(route.Name);
        if (index == 0)
            return SendResult::InterfaceGone;
    }
    sendingThroughInterface_ = index != 0;
    interfaceLostInSend_ = false;
    SendResult result = SendResult::Sent;
    try {
        if (form == PortForm::Text)
            socket_.BroadcastPacketThrough(index, std::string(kDevicePortText), command);
        else
            socket_.BroadcastPacketThrough(index, kDevicePort, command);
    } catch (const net::Exception&) {
        result = interfaceLostInSend_ ? SendResult::InterfaceGone : SendResult::Failed;
    }
    sendingThroughInterface_ = false;
    return result;
}

Transport::DiscoveryRoutes SocketTransport::RoutesForDiscovery()
{
    DiscoveryRoutes routes;
    routes.Restricted = interfaces_.Restricted();
    for (const net::NetworkInterface& usable : interfaces_.Current().Interfaces)
        routes.Routes.push_back({usable.Index, usable.Name, Dotted(usable.Address)});
    return routes;
}

std::string SocketTransport::InterfaceName(uint32_t index) { return index != 0 ? net::InterfaceNameOf(index) : ""; }

bool SocketTransport::RunUntil(TimePoint deadline, const std::function<bool()>& done)
{
    // By the time left: QDeadlineTimer reads a steady_clock time point as one
    // of its own clock's, which is known to hold only on Linux.
    if (deadline == TimePoint::max())
        return ProcessEventsUntil(QDeadlineTimer(QDeadlineTimer::Forever), done);
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return ProcessEventsUntil(QDeadlineTimer(std::max(left, std::chrono::milliseconds(0)), Qt::PreciseTimer), done);
}

void SocketTransport::OnDataAvailable()
{
    Datagram datagram;
    // A notification with nothing waiting carries no datagram and no sender.
    if (TakeDatagram(socket_, datagram.Text, datagram.Sender, datagram.Interface) == Intake::Datagram && receiver_)
        receiver_(datagram);
}

void SocketTransport::DeliverWaiting()
{
    for (int taken = 0; taken < kMaxWaitingDatagrams; ++taken) {
        if (!socket_.IsBound() || socket_.SocketHandle() == -1)
            return;
        Datagram datagram;
        Intake intake = Intake::Nothing;
        try {
            intake = TakeDatagram(socket_, datagram.Text, datagram.Sender, datagram.Interface);
        } catch (const net::Exception&) {
            return; // reported through OnError
        }
        if (intake == Intake::Nothing)
            return;
        if (intake == Intake::Datagram && receiver_)
            receiver_(datagram);
    }
}

void SocketTransport::WakeUp()
{
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        dispatcher->wakeUp();
}

void SocketTransport::OnError(net::ASocket& socket)
{
    // An oversized datagram that arrived is no failure of this program (any
    // host can send one): it is dropped and the work goes on.
    if (socket.ErrorCode() == net::kWsaeMsgSize && socket.ErrorMessage() == net::kPacketTruncatedMessage)
        return;
    if (sendingThroughInterface_ && socket.ErrorCode() == net::kWsaeNetDown) {
        interfaceLostInSend_ = true;
        return;
    }
    if (failure_)
        failure_(socket.ErrorCode(), socket.ErrorDescription());
}

} // namespace protocol
