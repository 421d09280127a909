// SPDX-License-Identifier: MIT
#include "protocol/address_key.h"
#include "protocol/device_protocol.h"
#include "protocol/discovery_reply.h"

#include <array>
#include <utility>

namespace protocol {

void DeviceProtocol::RecordDevice(const std::string& text, const std::string& sender)
{
    list_.SetEnabled(false);
    int freeSlot = 0;
    for (int number = 1; number <= DeviceTable::kSlots; ++number) {
        if (devices_[number].Mac.empty()) {
            freeSlot = number;
            break;
        }
    }
    if (text.empty() || text[0] != 'A') {
        replyStatus_ = kStatusNoReply;
        return;
    }
    if (IsKnownMac(text))
        return;
    DiscoveryReply reply = SplitDiscoveryReply(text);
    // A reply without a MAC names no device: selecting it would send a bare
    // "W", and assigning it an address would reach any multiplexer.
    if (reply.Mac.empty())
        return;
    // All 255 slots taken: the table keeps what it has.
    if (freeSlot == 0)
        return;
    NumerIP& slot = devices_[freeSlot];
    slot.Mac = std::move(reply.Mac);
    slot.Port = std::move(reply.Port);
    slot.FlagE = HasFlagE(reply.Flags);
    slot.Address = sender;
    RememberInterface(slot);
    replyStatus_ = kStatusOk;
}

bool DeviceProtocol::IsKnownMac(const std::string& text) const
{
    const std::string mac = SplitDiscoveryReply(text).Mac;
    for (int number = 1; number <= DeviceTable::kSlots && !devices_[number].Mac.empty(); ++number) {
        if (devices_[number].Mac == mac)
            return true;
    }
    return false;
}

void DeviceProtocol::ListDevices()
{
    for (int number = 1; number <= DeviceTable::kSlots; ++number) {
        NumerIP& slot = devices_[number];
        if (!slot.Address.empty() && !slot.LoggedIn)
            slot.Address.clear();
    }

    // Descending by key; equal keys are swapped too, which marks all but
    // possibly the last of a group of equal addresses. Slots without an
    // address split the table into runs sorted on their own.
    std::array<int32_t, DeviceTable::kSlots + 1> key{};
    for (int number = 1; number <= DeviceTable::kSlots; ++number)
        key[number] = AddressKey(devices_[number].Address);
    for (int pass = 1; pass <= DeviceTable::kSlots - 1; ++pass) {
        for (int k = DeviceTable::kSlots - 1; k >= pass; --k) {
            NumerIP& lower = devices_[k];
            NumerIP& upper = devices_[k + 1];
            if (lower.Address.empty() || upper.Address.empty() || key[k] > key[k + 1])
                continue;
            std::swap(lower, upper);
            std::swap(key[k], key[k + 1]);
            if (lower.Address == upper.Address)
                lower.ReadOk = false;
        }
    }

    if (abandoned_)
        return;
    for (int number = 1; number <= DeviceTable::kSlots; ++number) {
        if (!devices_[number].Address.empty())
            list_.AddRow(RowOfSlot(number));
    }
    list_.Repaint();
    list_.SetEnabled(true);
    ShowProgress(Progress::Activity::Idle);
}

DeviceRow DeviceProtocol::RowOfSlot(int number) const
{
    const NumerIP& slot = devices_[number];
    DeviceRow row{slot.Address, slot.Mask,   slot.Mac, DeviceListView::kNoImage,
                  slot.FlagE,   slot.ReadOk, false,    slot.InterfaceName};
    for (int other = 1; other <= DeviceTable::kSlots && !row.AddressShared; ++other)
        row.AddressShared = other != number && devices_[other].Address == slot.Address;
    if (slot.FlagE)
        row.Image = DeviceListView::kImageLetterE;
    else if (!slot.ReadOk)
        row.Image = DeviceListView::kImageExclamation;
    return row;
}

int DeviceProtocol::SlotOfRow(int row) const
{
    if (row < 0)
        return 0;
    int seen = 0;
    for (int number = 1; number <= DeviceTable::kSlots; ++number) {
        if (devices_[number].Address.empty())
            continue;
        if (seen == row)
            return number;
        ++seen;
    }
    return 0;
}

} // namespace protocol
