// SPDX-License-Identifier: MIT
#include "protocol/device_engine.h"
#include "protocol/discovery_reply.h"
#include "protocol/protocol_constants.h"

#include <algorithm>

namespace protocol {

DiscoveryResult DeviceEngine::Discover(DiscoveryDepth depth, const EarlyEnd& end)
{
    DiscoveryResult result;
    BeginOperation();
    StartDiscovery();
    CollectReplies(end);
    if (depth == DiscoveryDepth::Full) {
        ReadAllDevices(result.Unread);
        // Stopped: the table keeps every device found, the one in hand
        // too, for the closing commands.
        if (!Stopping())
            ListDevices();
    } else {
        // Nobody was read: every device that answered is listed, its mask unknown.
        for (int number = 1; number <= DeviceTable::kSlots; ++number) {
            devices_[number].LoggedIn = !devices_[number].Address.empty();
            devices_[number].Mask.clear(); // unknown: never an earlier cycle's
            devices_[number].DN.clear();
        }
        ListDevices();
    }
    ShowProgress(Progress::Activity::Idle);
    if (Stopping())
        return result;
    result.Rows = Rows();
    result.Searched = searched_;
    result.Finished = true;
    return result;
}

void DeviceEngine::StartDiscovery()
{
    // Datagrams that arrived before the cycle and still wait are taken
    // before its "X" goes out, as the kind of the last request; under a flood
    // a full receive queue would make the kernel drop the devices' replies.
    transport_.DeliverWaiting();
    for (int number = 1; number <= DeviceTable::kSlots; ++number) {
        NumerIP& slot = devices_[number];
        slot.Address.clear();
        slot.Mac.clear();
        slot.Port.clear();
        slot.ReadOk = false;
        slot.LoggedIn = false;
        slot.InterfaceIndex = 0;
        slot.InterfaceName.clear();
        slot.MacAlsoAt.clear();
    }
    recordedMacs_.clear();
    if (Stopping())
        return;
    expectedReply_ = kReplyDiscovery;
    replyStatus_ = kStatusPending;
    transport_.UseDiscoveryPort();
    BroadcastDiscovery();
    ShowProgress(Progress::Activity::Searching);
}

void DeviceEngine::CollectReplies(const EarlyEnd& end)
{
    const Milliseconds window(kCollectionWindowMs);
    if (end.Awaited.empty())
        return WaitFor(window);
    const TimePoint windowEnd = transport_.Now() + window;
    WaitFor(std::min(end.Least, window));
    transport_.RunUntil(windowEnd, [&] { return Stopping() || Answered(end.Awaited); });
}

bool DeviceEngine::Answered(const std::vector<EarlyEnd::Answer>& awaited) const
{
    return std::all_of(awaited.begin(), awaited.end(), [this](const EarlyEnd::Answer& answer) {
        const auto recorded = recordedMacs_.find(answer.Mac);
        return recorded != recordedMacs_.end() && devices_[recorded->second].Address == answer.Address;
    });
}

void DeviceEngine::BroadcastDiscovery()
{
    discoveryRoutes_ = transport_.RoutesForDiscovery();
    searched_.clear();
    deviceRoute_ = Route{};
    deviceRouteGone_ = false;
    if (discoveryRoutes_.Routes.empty()) {
        // Nothing to choose from: the routing table decides, and a missing
        // route is reported as ever. A restriction to interfaces that are all
        // down sends nothing.
        if (!discoveryRoutes_.Restricted)
            transport_.Broadcast(Route{}, kDiscoverCommand, Transport::PortForm::Number);
        return;
    }
    for (const Route& route : discoveryRoutes_.Routes) {
        if (Stopping())
            return;
        // An interface that fails (gone, down) leaves the others their "X".
        if (transport_.Broadcast(route, kDiscoverCommand, Transport::PortForm::Number) == SendResult::Sent)
            searched_.push_back({route.Name, route.Address, 0});
    }
}

bool DeviceEngine::ArrivedThroughDiscoveryRoute(uint32_t interface) const
{
    return std::any_of(discoveryRoutes_.Routes.begin(), discoveryRoutes_.Routes.end(),
                       [&](const Route& route) { return route.Index == interface; });
}

void DeviceEngine::RecordDevice(const Datagram& datagram)
{
    const std::string& text = datagram.Text;
    if (text.empty() || text[0] != 'A') {
        replyStatus_ = kStatusNoReply;
        return;
    }
    DiscoveryReply reply = SplitDiscoveryReply(text);
    if (const auto recorded = recordedMacs_.find(reply.Mac); recorded != recordedMacs_.end()) {
        // The MAC already has its slot; from another address it is one MAC
        // in two places, and no command could tell which device it reaches.
        NumerIP& slot = devices_[recorded->second];
        if (datagram.Sender != slot.Address && slot.MacAlsoAt.empty())
            slot.MacAlsoAt = datagram.Sender;
        return;
    }
    // A reply without a MAC names no device: selecting it would send a bare
    // "W", and assigning it an address would reach any multiplexer.
    if (reply.Mac.empty() || datagram.Sender.empty())
        return;
    if (recordedMacs_.size() == static_cast<std::size_t>(DeviceTable::kSlots))
        return; // all 255 slots taken: the table keeps what it has
    const int number = static_cast<int>(recordedMacs_.size()) + 1;
    recordedMacs_.emplace(reply.Mac, number);
    NumerIP& slot = devices_[number];
    slot.Mac = std::move(reply.Mac);
    slot.Port = std::move(reply.Port);
    slot.FlagE = HasFlagE(reply.Flags);
    slot.Address = datagram.Sender;
    if (ArrivedThroughDiscoveryRoute(datagram.Interface)) {
        slot.InterfaceIndex = datagram.Interface;
        slot.InterfaceName = transport_.InterfaceName(datagram.Interface);
        for (SearchedInterface& searched : searched_)
            searched.Replies += searched.Name == slot.InterfaceName ? 1 : 0;
    }
    replyStatus_ = kStatusOk;
}

DiscoveryResult DeviceEngine::ReadDevices(const std::vector<DeviceRow>& devices)
{
    DiscoveryResult result;
    BeginOperation();
    const std::map<std::string, int> devicesAt = DevicesByAddress();
    int current = 0;
    for (const DeviceRow& device : devices) {
        NumerIP* slot = SlotOf(device);
        if (Stopping())
            break;
        ShowProgress(Progress::Activity::Reading, ++current, static_cast<int>(devices.size()), device.Address);
        if (slot == nullptr) {
            result.Unread.push_back({device.Mac, device.Address, device.Interface, kStatusNotSent, false});
            continue;
        }
        const Status status = ReadDevice(slot->Mac, kReadTries, *slot);
        if (Stopping())
            break;
        slot->ReadOk = status == kStatusOk;
        if (!slot->ReadOk)
            result.Unread.push_back({slot->Mac, slot->Address, slot->InterfaceName, status, slot->LoggedIn});
        if (slot->LoggedIn)
            result.Rows.push_back(RowOf(*slot, devicesAt));
    }
    ShowProgress(Progress::Activity::Idle);
    result.Searched = searched_;
    result.Finished = !Stopping();
    return result;
}

bool DeviceEngine::ReadAllDevices(std::vector<UnreadDevice>& unread)
{
    if (Stopping() || devices_[1].Address.empty())
        return false;
    int found = 0;
    while (found < DeviceTable::kSlots && !devices_[found + 1].Address.empty())
        ++found;
    bool readFailed = false;
    for (int number = 1; number <= found; ++number) {
        if (Stopping())
            return false;
        NumerIP& slot = devices_[number];
        ShowProgress(Progress::Activity::Reading, number, found, slot.Address);
        const std::string mac = slot.Mac;
        const Status status = ReadDevice(mac, kReadTries, slot);
        slot.ReadOk = status == kStatusOk;
        if (!slot.ReadOk && !Stopping()) {
            readFailed = true;
            unread.push_back({slot.Mac, slot.Address, slot.InterfaceName, status, slot.LoggedIn});
        }
    }
    return !readFailed && !Stopping();
}

Status DeviceEngine::ReadDevice(const std::string& mac, uint8_t tries, NumerIP& slot)
{
    // Only what this read gets is shown or sent later: never a mask or DN
    // left in the slot by an earlier cycle or by another device.
    slot.Mask.clear();
    slot.DN.clear();
    const ReplySendersScope onlyTheDevice(replySenders_, slot.Address);
    deviceRoute_ = Route{slot.InterfaceIndex, slot.InterfaceName, {}};
    deviceRouteGone_ = false;
    macAlsoAt_.clear();
    uint8_t attempt = 0;
    while (attempt < tries) {
        Request(kSelectCommand + mac, kReplyAcknowledgement);
        if (replyStatus_ != kStatusOk) {
            slot.LoggedIn = false;
            return replyStatus_;
        }
        SelectionPause();
        // Whatever came in late is no reply to the login.
        transport_.DeliverWaiting();
        // Another device took the selection: its MAC is in two places.
        if (!macAlsoAt_.empty() && slot.MacAlsoAt.empty())
            slot.MacAlsoAt = macAlsoAt_;

        slot.LoggedIn = true;
        Request(std::string(kLoginCommand) + kDevicePassword, kReplyAcknowledgement);
        if (replyStatus_ != kStatusOk) {
            slot.LoggedIn = false;
            return replyStatus_;
        }

        Request(kMaskQuery, kReplyValue);
        if (replyStatus_ != kStatusOk) {
            ++attempt;
            continue;
        }
        slot.Mask = lastReply_.empty() ? std::string() : lastReply_.substr(1);

        Request(kDnQuery, kReplyValue);
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
