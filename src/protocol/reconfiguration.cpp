// SPDX-License-Identifier: MIT
#include "protocol/device_protocol.h"

#include "net/errors/socket_errors.h"
#include "net/socket/udp_socket.h"

namespace protocol {

int DeviceProtocol::ChangeDevice(const std::string& currentAddress, const std::string& newAddress,
                                 const std::string& mac, const std::string& newMask)
{
    if (abandoned_)
        return kStatusNoReply;
    const ReplySendersScope onlyTheDevice(replySenders_, currentAddress);
    deviceInterface_ = InterfaceOfDevice(currentAddress, mac);
    ShowProgress(Progress::Activity::Changing, 0, 0, currentAddress);
    const int result = ChangeSelectedDevice(currentAddress, newAddress, mac, newMask);
    ShowProgress(Progress::Activity::Idle);
    return result;
}

int DeviceProtocol::ChangeSelectedDevice(const std::string& currentAddress, const std::string& newAddress,
                                         const std::string& mac, const std::string& newMask)
{
    // Select the device first: the login, the mask and the closing command
    // carry no device identity and go to whichever device is selected.
    int result = SendCommand(kSelectCommand + mac, kChangeTries);
    if (result != kStatusOk) {
        ShowFailure(result);
        return result;
    }
    BlockingPause(kSelectionPauseMs);
    TakeWaitingDatagrams(); // room for the login's reply, as in a device's read

    result = SendCommand(std::string(kLoginCommand) + kDevicePassword, kChangeTries);
    if (result != kStatusOk) {
        ShowFailure(result);
        return result;
    }

    if (newAddress != currentAddress) {
        // The device answers from its new address once it has taken it.
        replySenders_.AcceptAlso(newAddress);
        result = AssignAddress(newAddress, mac, kChangeTries);
        if (abandoned_)
            result = kStatusNoReply;
        if (result != kStatusOk) {
            ShowFailure(result);
            return result;
        }
    }

    if (!newMask.empty()) {
        result = SendCommand(kSetMaskCommand + newMask, kChangeTries);
        if (result != kStatusOk) {
            ShowFailure(result);
            return result;
        }
    }

    if (abandoned_)
        return kStatusNoReply;
    // The closing command: no reply is awaited.
    Broadcast(kClosingCommand, SendErrors::Drop);
    return kStatusOk;
}

int DeviceProtocol::AssignAddress(const std::string& newAddress, const std::string& mac, uint8_t tries)
{
    const std::string command = kAssignCommand + mac + "/" + kDevicePassword + "/" + newAddress;
    for (uint8_t attempt = 0; attempt < tries && !abandoned_; ++attempt) {
        replyStatus_ = kStatusPending;
        expectedReply_ = kReplyAcknowledgement;
        try {
            socket_.BroadcastPacketThrough(deviceInterface_, std::string(kDevicePortText), command);
        } catch (const net::Exception&) {
            // Reported through OnError; the reply timer ends the try.
        }
        ArmReplyTimer();
        WaitWhilePending();
        // Silence ends the tries; an "A" does not.
        if (replyStatus_ == kStatusNoReply)
            break;
    }
    return replyStatus_ == kStatusNoReply ? kStatusOk : replyStatus_;
}

void DeviceProtocol::SendClosingCommands()
{
    for (int number = 1; number <= DeviceTable::kSlots && !abandoned_; ++number) {
        if (devices_[number].Address.empty())
            continue;
        deviceInterface_ = devices_[number].InterfaceIndex;
        Broadcast(kClosingCommand, SendErrors::Propagate);
    }
    if (!abandoned_)
        BlockingPause(1);
}

void DeviceProtocol::ShowFailure(int status)
{
    if (!abandoned_)
        messages_.ShowMessage(StatusText(static_cast<uint32_t>(status)));
}

} // namespace protocol
