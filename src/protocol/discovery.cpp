// SPDX-License-Identifier: MIT
#include "protocol/datagram_intake.h"
#include "protocol/device_protocol.h"

#include "net/errors/socket_errors.h"
#include "net/socket/udp_socket.h"

#include <algorithm>
#include <net/if.h>

namespace protocol {

namespace {
// More than a full receive queue of the default size holds; a flood may go
// on arriving while the queue is emptied.
constexpr int kMaxWaitingDatagrams = 1024;
} // namespace

// Datagrams that arrived before a cycle and still wait in the socket are
// taken before its "X" goes out, as the event loop would have taken them
// (read as the kind of the last request). Under a flood the receive queue
// fills while the engine reads nothing (the selection pause); left full, it
// would make the kernel drop the devices' discovery replies.
void DeviceProtocol::TakeWaitingDatagrams()
{
    for (int taken = 0; taken < kMaxWaitingDatagrams && !abandoned_; ++taken) {
        if (!socket_.IsBound() || socket_.SocketHandle() == -1)
            return;
        std::string data;
        std::string sender;
        Intake intake = Intake::Nothing;
        try {
            intake = TakeDatagram(socket_, data, sender, arrivalInterface_);
        } catch (const net::Exception&) {
            return; // reported through the socket's OnError
        }
        if (intake == Intake::Nothing)
            return;
        if (intake == Intake::Datagram)
            DispatchReply(data, sender, expectedReply_);
    }
}

void DeviceProtocol::StartDiscovery()
{
    TakeWaitingDatagrams();
    list_.Clear();
    list_.SetEnabled(false);
    for (int number = 1; number <= DeviceTable::kSlots; ++number) {
        NumerIP& slot = devices_[number];
        slot.Address.clear();
        slot.Mac.clear();
        slot.Port.clear();
        slot.ReadOk = false;
        slot.LoggedIn = false;
        slot.InterfaceIndex = 0;
        slot.InterfaceName.clear();
    }
    if (abandoned_)
        return;
    expectedReply_ = kReplyDiscovery;
    replyStatus_ = kStatusPending;
    socket_.SetLocalPort(kCommandLocalPort);
    BroadcastDiscovery();
    ShowProgress(Progress::Activity::Searching);
    // Nothing waits on this request: the first reply stops the timer, and
    // when none comes it settles the status with 4, which nobody reads.
    ArmReplyTimer();
}

void DeviceProtocol::BroadcastDiscovery()
{
    const net::InterfaceEnumeration usable = interfaces_.Current();
    discoveryInterfaces_.clear();
    deviceInterface_ = 0;
    if (usable.Interfaces.empty()) {
        // Nothing to choose from: the routing table decides, and a missing
        // route is reported as ever. A restriction to interfaces that are all
        // down sends nothing.
        if (!interfaces_.Restricted())
            Broadcast(kDiscoverCommand, SendErrors::Drop);
        return;
    }
    for (const net::NetworkInterface& through : usable.Interfaces) {
        if (abandoned_)
            return;
        discoveryInterfaces_.push_back(through.Index);
        try {
            socket_.BroadcastPacketThrough(through.Index, kDevicePort, kDiscoverCommand);
        } catch (const net::Exception&) {
            // Reported through OnError; the other interfaces still get theirs.
        }
    }
}

void DeviceProtocol::RememberInterface(NumerIP& slot) const
{
    const bool discoveredThere = std::find(discoveryInterfaces_.begin(), discoveryInterfaces_.end(),
                                           arrivalInterface_) != discoveryInterfaces_.end();
    slot.InterfaceIndex = discoveredThere ? arrivalInterface_ : 0;
    char name[IF_NAMESIZE] = {};
    slot.InterfaceName = discoveredThere && if_indextoname(arrivalInterface_, name) ? name : "";
}

uint32_t DeviceProtocol::InterfaceOfDevice(const std::string& address, const std::string& mac) const
{
    for (int number = 1; number <= DeviceTable::kSlots; ++number)
        if (devices_[number].Mac == mac && devices_[number].Address == address)
            return devices_[number].InterfaceIndex;
    return 0;
}

bool DeviceProtocol::ReadAllDevices()
{
    WaitFor(kCollectionWindowMs);
    if (abandoned_ || devices_[1].Address.empty())
        return false;
    int found = 0;
    while (found < DeviceTable::kSlots && !devices_[found + 1].Address.empty())
        ++found;
    bool readFailed = false;
    for (int number = 1; number <= found; ++number) {
        if (abandoned_)
            return false;
        NumerIP& slot = devices_[number];
        ShowProgress(Progress::Activity::Reading, number, found, slot.Address);
        const std::string mac = slot.Mac;
        const int status = ReadDevice(mac, kReadTries, slot);
        slot.ReadOk = status == kStatusOk;
        if (!slot.ReadOk)
            readFailed = true;
    }
    return !readFailed && !abandoned_;
}

int DeviceProtocol::ReadDevice(const std::string& mac, uint8_t tries, NumerIP& slot)
{
    // Only what this read gets is shown or sent later: never a mask or DN
    // left in the slot by an earlier cycle or by another device.
    slot.Mask.clear();
    slot.DN.clear();
    const ReplySendersScope onlyTheDevice(replySenders_, slot.Address);
    deviceInterface_ = slot.InterfaceIndex;
    uint8_t attempt = 0;
    while (attempt < tries) {
        // An error raised by the selection or the login send is not caught here.
        Request(kSelectCommand + mac, kReplyAcknowledgement, SendErrors::Propagate);
        if (replyStatus_ != kStatusOk) {
            slot.LoggedIn = false;
            return replyStatus_;
        }
        // The device needs a moment after its selection; the pause blocks on purpose.
        BlockingPause(kSelectionPauseMs);
        // A flood fills the receive queue while the pause reads nothing;
        // emptied, it has room for the login's reply.
        TakeWaitingDatagrams();

        slot.LoggedIn = true;
        Request(std::string(kLoginCommand) + kDevicePassword, kReplyAcknowledgement, SendErrors::Propagate);
        if (replyStatus_ != kStatusOk) {
            slot.LoggedIn = false;
            return replyStatus_;
        }

        Request(kMaskQuery, kReplyValue, SendErrors::Drop);
        if (replyStatus_ != kStatusOk) {
            ++attempt;
            continue;
        }
        slot.Mask = lastReply_.empty() ? std::string() : lastReply_.substr(1);

        Request(kDnQuery, kReplyValue, SendErrors::Drop);
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
