// SPDX-License-Identifier: MIT
#include "protocol/device_engine.h"
#include "protocol/protocol_constants.h"

#include <algorithm>

namespace protocol {

DeviceEngine::DeviceEngine(Transport& transport) : transport_(transport)
{
    recordedMacs_.reserve(DeviceTable::kSlots);
    transport_.SetReceiver([this](const Datagram& datagram) { DispatchReply(datagram); });
    transport_.SetFailureHandler(
        [this](int32_t code, const std::string& description) { OnTransportFailure(code, description); });
}

DeviceEngine::~DeviceEngine()
{
    transport_.SetReceiver(nullptr);
    transport_.SetFailureHandler(nullptr);
}

void DeviceEngine::OnTransportFailure(int32_t code, const std::string& description)
{
    if (abandoned_)
        return; // the first failure ends the work; one report is enough
    Abandon();
    if (failure_)
        failure_(code, description);
}

void DeviceEngine::Abandon()
{
    abandoned_ = true;
    interrupted_ = true;
    // Whatever the request in progress got, the operation around it now
    // sees a failure and unwinds at its next step.
    replyStatus_ = kStatusNoReply;
    transport_.WakeUp();
}

void DeviceEngine::Interrupt()
{
    interrupted_ = true;
    replyStatus_ = kStatusNoReply;
    transport_.WakeUp();
}

Status DeviceEngine::SendCommand(const std::string& command, uint8_t tries)
{
    for (uint8_t attempt = 0; attempt < tries; ++attempt) {
        Request(command, kReplyAcknowledgement);
        if (replyStatus_ == kStatusOk || Stopping() || deviceRouteGone_)
            break;
    }
    return replyStatus_;
}

bool DeviceEngine::Send(const std::string& command, Transport::PortForm form)
{
    if (Stopping() || deviceRouteGone_)
        return false;
    byMacInFlight_ = command.rfind(kSelectCommand, 0) == 0 || command.rfind(kAssignCommand, 0) == 0;
    switch (transport_.Broadcast(deviceRoute_, command, form)) {
    case SendResult::Sent: return true;
    case SendResult::InterfaceGone: deviceRouteGone_ = true; return false;
    case SendResult::Failed: return false; // the failure handler has ended the work
    }
    return false;
}

void DeviceEngine::Request(const std::string& command, uint8_t kind)
{
    if (Stopping() || deviceRouteGone_) {
        replyStatus_ = kStatusNoReply;
        return;
    }
    replyStatus_ = kStatusPending;
    expectedReply_ = kind;
    if (!Send(command)) {
        replyStatus_ = kStatusNoReply;
        return;
    }
    replyDeadline_ = transport_.Now() + Milliseconds(kReplyTimeoutMs);
    WaitWhilePending();
}

void DeviceEngine::WaitWhilePending()
{
    // A datagram that settles nothing (an empty text, an unknown first
    // letter) leaves the request pending: the try still ends 2000 ms after
    // its command left.
    const bool settled =
        transport_.RunUntil(replyDeadline_, [this] { return replyStatus_ != kStatusPending || Stopping(); });
    if (!settled)
        TimeoutTimer();
    if (Stopping() && replyStatus_ == kStatusPending)
        replyStatus_ = kStatusNoReply;
}

void DeviceEngine::TimeoutTimer()
{
    if (!Stopping())
        replyStatus_ = kStatusNoReply;
}

void DeviceEngine::WaitFor(Milliseconds duration)
{
    transport_.RunUntil(transport_.Now() + duration, [this] { return Stopping(); });
}

void DeviceEngine::SelectionPause()
{
    // The device needs a moment after its selection. Nothing is sent and no
    // datagram is a reply meanwhile, but the loop runs on.
    ignoreDatagrams_ = true;
    WaitFor(Milliseconds(kSelectionPauseMs));
    ignoreDatagrams_ = false;
}

void DeviceEngine::DispatchReply(const Datagram& datagram)
{
    if (Stopping() || (datagram.Text.empty() && datagram.Sender.empty()))
        return;
    // With the interfaces restricted, a reply through another one is no reply.
    if (discoveryRoutes_.Restricted && !ArrivedThroughDiscoveryRoute(datagram.Interface))
        return;
    // Not from the device asked: left aside, the request goes on waiting.
    if (!replySenders_.Accepts(datagram.Sender))
        return NoteSecondDevice(datagram);
    if (ignoreDatagrams_)
        return;
    switch (expectedReply_) {
    case kReplyDiscovery: RecordDevice(datagram); break;
    case kReplyAcknowledgement:
    case kReplyValue: {
        const Status status = StatusOfReplyLetter(datagram.Text);
        if (status == kStatusPending)
            break; // not a reply form: the try still ends by its deadline
        replyStatus_ = status;
        if (expectedReply_ == kReplyValue && status == kStatusOk)
            lastReply_ = datagram.Text;
        break;
    }
    default: break;
    }
}

void DeviceEngine::NoteSecondDevice(const Datagram& datagram)
{
    // Only an acknowledgement, nothing longer: a late discovery reply also
    // begins with "A". Any device with the MAC takes a "W" or an "A", so
    // one that answers from elsewhere shares it with the device asked.
    const bool bareLetter = datagram.Text.size() == 1 && StatusOfReplyLetter(datagram.Text) != kStatusPending;
    const bool closedLast = std::find(closedAt_.begin(), closedAt_.end(), datagram.Sender) != closedAt_.end();
    if (byMacInFlight_ && bareLetter && !closedLast && macAlsoAt_.empty())
        macAlsoAt_ = datagram.Sender;
}

void DeviceEngine::ShowProgress(Progress::Activity what, int current, int total, const std::string& device)
{
    if (!Stopping() && progress_)
        progress_(Progress{what, current, total, device});
}

} // namespace protocol
