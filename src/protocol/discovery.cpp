#include "protocol/device_protocol.h"

#include "net/udp_socket.h"

namespace protocol {

void DeviceProtocol::StartDiscovery()
{
    list_.Clear();
    list_.SetEnabled(false);
    for (int number = 1; number <= DeviceTable::kSlots; ++number) {
        NumerIP& slot = devices_[number];
        slot.Address.clear();
        slot.Mac.clear();
        slot.Port.clear();
        slot.ReadOk = false;
        slot.LoggedIn = false;
    }
    if (abandoned_)
        return;
    expectedReply_ = kReplyDiscovery;
    replyStatus_ = kStatusPending;
    socket_.SetLocalPort(kCommandLocalPort);
    Broadcast("X", SendErrors::Drop);
    // Nothing waits on this request: the first reply stops the timer, and
    // when none comes it settles the status with 4, which nobody reads.
    ArmReplyTimer();
}

bool DeviceProtocol::ReadAllDevices()
{
    WaitFor(kCollectionWindowMs);
    if (abandoned_ || devices_[1].Address.empty())
        return false;
    bool readFailed = false;
    for (int number = 1; number <= DeviceTable::kSlots && !devices_[number].Address.empty(); ++number) {
        if (abandoned_)
            return false;
        NumerIP& slot = devices_[number];
        const std::string mac = slot.Mac;
        const int status = ReadDevice(mac, 2, slot);
        slot.ReadOk = status == kStatusOk;
        if (!slot.ReadOk)
            readFailed = true;
    }
    return !readFailed && !abandoned_;
}

int DeviceProtocol::ReadDevice(const std::string& mac, uint8_t tries, NumerIP& slot)
{
    uint8_t attempt = 0;
    while (attempt < tries) {
        // An error raised by the selection or the login send is not caught here.
        Request("W" + mac, kReplyAcknowledgement, SendErrors::Propagate);
        if (replyStatus_ != kStatusOk) {
            slot.LoggedIn = false;
            return replyStatus_;
        }
        // The device needs a moment after its selection; the pause blocks on purpose.
        BlockingPause(kSelectionPauseMs);

        slot.LoggedIn = true;
        Request(std::string("L") + kDevicePassword, kReplyAcknowledgement, SendErrors::Propagate);
        if (replyStatus_ != kStatusOk) {
            slot.LoggedIn = false;
            return replyStatus_;
        }

        Request("GNM", kReplyValue, SendErrors::Drop);
        if (replyStatus_ != kStatusOk) {
            ++attempt;
            continue;
        }
        slot.Mask = lastReply_.empty() ? std::string() : lastReply_.substr(1);

        Request("GDN", kReplyValue, SendErrors::Drop);
        if (replyStatus_ != kStatusOk) {
            ++attempt;
            continue;
        }
        slot.DN = lastReply_.empty() ? std::string() : lastReply_.substr(1);
        return kStatusOk;
    }
    return replyStatus_;
}

} // namespace protocol
