// SPDX-License-Identifier: MIT
#include "protocol/device_engine.h"
#include "protocol/protocol_constants.h"

namespace protocol {

ChangeOutcome DeviceEngine::Change(const DeviceRow& device, const std::string& newAddress, const std::string& newMask)
{
    BeginOperation();
    if (Stopping())
        return {kStatusNoReply, ChangeOutcome::Step::Select};
    const NumerIP* slot = SlotOf(device);
    // A device the last discovery did not list goes out through the routing table.
    deviceRoute_ = slot == nullptr ? Route{} : Route{slot->InterfaceIndex, slot->InterfaceName, {}};
    deviceRouteGone_ = false;
    macAlsoAt_.clear();
    const ReplySendersScope onlyTheDevice(replySenders_, device.Address);
    ShowProgress(Progress::Activity::Changing, 0, 0, device.Address);
    ChangeOutcome outcome = ChangeDevice(device.Address, newAddress, device.Mac, newMask);
    outcome.InterfaceGone = deviceRouteGone_;
    ShowProgress(Progress::Activity::Idle);
    return outcome;
}

ChangeOutcome DeviceEngine::ChangeDevice(const std::string& currentAddress, const std::string& newAddress,
                                         const std::string& mac, const std::string& newMask)
{
    using Step = ChangeOutcome::Step;
    ChangeOutcome outcome;
    const auto failed = [&](Step step, Status status) {
        outcome.FailedStep = step;
        outcome.Status = status;
        return outcome;
    };
    // A second device with the MAC took the command too: nothing more goes
    // to either, and the session the command opened is closed.
    const auto secondDevice = [&](Step next) {
        outcome.MacAlsoAt = macAlsoAt_;
        CloseChangedDevice();
        return failed(next, kStatusNotSent);
    };
    // Select the device first: the login, the mask and the closing command
    // carry no device identity and go to whichever device is selected.
    Status result = SendCommand(kSelectCommand + mac, kChangeTries);
    if (result != kStatusOk)
        return failed(Step::Select, result);
    SelectionPause();
    transport_.DeliverWaiting();
    if (!macAlsoAt_.empty())
        return secondDevice(Step::Login);

    result = SendCommand(std::string(kLoginCommand) + kDevicePassword, kChangeTries);
    if (result != kStatusOk)
        return failed(Step::Login, result);

    if (newAddress != currentAddress) {
        // The device answers from its new address once it has taken it.
        replySenders_.AcceptAlso(newAddress);
        result = AssignAddress(newAddress, mac, kChangeTries);
        if (Stopping() || deviceRouteGone_)
            result = kStatusNoReply;
        if (result != kStatusOk)
            return failed(Step::Assign, result);
    }
    outcome.AddressTaken = true;
    if (!macAlsoAt_.empty())
        return secondDevice(Step::Mask);

    if (!newMask.empty()) {
        result = SendCommand(kSetMaskCommand + newMask, kChangeTries);
        if (result != kStatusOk)
            return failed(Step::Mask, result);
        outcome.MaskTaken = true;
    }

    if (Stopping())
        return failed(Step::Mask, kStatusNoReply);
    CloseChangedDevice();
    return outcome;
}

void DeviceEngine::CloseChangedDevice()
{
    // The closing command: no reply is awaited.
    closedAt_ = replySenders_.Addresses();
    Send(kClosingCommand);
}

Status DeviceEngine::AssignAddress(const std::string& newAddress, const std::string& mac, uint8_t tries)
{
    const std::string command = kAssignCommand + mac + "/" + kDevicePassword + "/" + newAddress;
    for (uint8_t attempt = 0; attempt < tries && !Stopping() && !deviceRouteGone_ && macAlsoAt_.empty(); ++attempt) {
        replyStatus_ = kStatusPending;
        expectedReply_ = kReplyAcknowledgement;
        // A send that fails ends the try by its deadline, as silence does.
        Send(command, Transport::PortForm::Text);
        replyDeadline_ = transport_.Now() + Milliseconds(kReplyTimeoutMs);
        WaitWhilePending();
        // Silence ends the tries; an "A" does not.
        if (replyStatus_ == kStatusNoReply)
            break;
    }
    return replyStatus_ == kStatusNoReply ? kStatusOk : replyStatus_;
}

void DeviceEngine::Pause(Milliseconds duration)
{
    BeginOperation();
    WaitFor(duration);
}

void DeviceEngine::Close()
{
    BeginOperation();
    for (int number = 1; number <= DeviceTable::kSlots && !Stopping(); ++number) {
        const NumerIP& slot = devices_[number];
        if (slot.Address.empty())
            continue;
        deviceRoute_ = Route{slot.InterfaceIndex, slot.InterfaceName, {}};
        deviceRouteGone_ = false;
        Send(kClosingCommand);
    }
    if (!Stopping())
        WaitFor(Milliseconds(1));
}

} // namespace protocol
