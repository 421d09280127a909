// SPDX-License-Identifier: MIT
#include "protocol/command_socket.h"
#include "protocol/datagram_intake.h"
#include "protocol/device_protocol.h"

#include "net/errors/socket_errors.h"
#include "net/socket/udp_socket.h"

#include <QAbstractEventDispatcher>
#include <QTimer>

#include <arpa/inet.h>

namespace protocol {

namespace {
const char* const kTimeoutSender = "TIMEOUT";
}

DeviceProtocol::DeviceProtocol(net::TUDPSocket& commandSocket, QTimer& replyTimer, DeviceListView& list,
                               OperatorMessages& messages)
    : socket_(commandSocket),
      timeout_(replyTimer),
      list_(list),
      messages_(messages)
{
    ConfigureCommandSocket(socket_);
    socket_.OnDataAvailable = [this](net::AUDPSocket&) { GniazdoTransmisjiRozkazowDoModuluDataAvailable(); };
    timeout_.setInterval(kReplyTimeoutMs);
    // A coarse timer may fire a few per cent early; a try lasts its full 2000 ms.
    timeout_.setTimerType(Qt::PreciseTimer);
    timerConnection_ = QObject::connect(&timeout_, &QTimer::timeout, [this] { TimeoutTimer(); });
}

DeviceProtocol::~DeviceProtocol()
{
    QObject::disconnect(timerConnection_);
    timeout_.stop();
    socket_.OnDataAvailable = nullptr;
}

int DeviceProtocol::SendCommand(const std::string& command, uint8_t tries)
{
    for (uint8_t attempt = 0; attempt < tries; ++attempt) {
        Request(command, kReplyAcknowledgement, SendErrors::Drop);
        if (replyStatus_ == kStatusOk || abandoned_)
            break;
    }
    return replyStatus_;
}

void DeviceProtocol::DispatchReply(const std::string& text, const std::string& sender, uint8_t kind)
{
    if (abandoned_ || (text.empty() && sender.empty()))
        return;
    // Not from the device asked: left aside, the request goes on waiting.
    if (sender != kTimeoutSender && !replySenders_.Accepts(sender))
        return;
    timeout_.stop();
    if (sender == kTimeoutSender) {
        replyStatus_ = kStatusNoReply;
        return;
    }
    switch (kind) {
    case kReplyDiscovery: RecordDevice(text, sender); break;
    case kReplyAcknowledgement:
    case kReplyValue: {
        const uint8_t status = StatusOfReplyLetter(text);
        if (status == kStatusPending)
            break; // not a reply form: the try still ends by its deadline
        replyStatus_ = status;
        if (kind == kReplyValue && status == kStatusOk)
            lastReply_ = text;
        break;
    }
    default: break;
    }
}

void DeviceProtocol::TimeoutTimer()
{
    timeout_.stop();
    if (abandoned_)
        return;
    DispatchReply("", kTimeoutSender, expectedReply_);
}

void DeviceProtocol::GniazdoTransmisjiRozkazowDoModuluDataAvailable()
{
    std::string data;
    std::string sender;
    // A notification with nothing waiting is ignored: it carries no datagram
    // and no sender. After Abandon datagrams are still read, so the socket
    // does not stay readable, but dropped.
    if (TakeDatagram(socket_, data, sender, arrivalInterface_) != Intake::Datagram || abandoned_)
        return;
    DispatchReply(data, sender, expectedReply_);
}

void DeviceProtocol::Abandon()
{
    abandoned_ = true;
    timeout_.stop();
    // Whatever the request in progress got, the operation around it now
    // sees a failure and unwinds at its next step.
    replyStatus_ = kStatusNoReply;
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        dispatcher->wakeUp();
}

void DeviceProtocol::Broadcast(const std::string& command, SendErrors errors)
{
    if (errors == SendErrors::Propagate) {
        socket_.BroadcastPacketThrough(deviceInterface_, kDevicePort, command);
        return;
    }
    try {
        socket_.BroadcastPacketThrough(deviceInterface_, kDevicePort, command);
    } catch (const net::Exception&) {
        // The socket has reported it through OnError; the reply timer ends the try.
    }
}

void DeviceProtocol::Request(const std::string& command, uint8_t kind, SendErrors errors)
{
    if (abandoned_) {
        replyStatus_ = kStatusNoReply;
        return;
    }
    replyStatus_ = kStatusPending;
    expectedReply_ = kind;
    Broadcast(command, errors);
    ArmReplyTimer();
    WaitWhilePending();
}

void DeviceProtocol::ArmReplyTimer()
{
    if (abandoned_)
        return;
    replyDeadline_ = QDeadlineTimer(kReplyTimeoutMs, Qt::PreciseTimer);
    timeout_.start(kReplyTimeoutMs);
}

} // namespace protocol
