// SPDX-License-Identifier: MIT
#include "protocol/address_key.h"
#include "protocol/device_session.h"

#include <array>
#include <utility>

namespace protocol {

void DeviceSession::ListDevices()
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
}

std::vector<DeviceRow> DeviceSession::Rows() const
{
    std::vector<DeviceRow> rows;
    for (int number = 1; number <= DeviceTable::kSlots; ++number)
        if (!devices_[number].Address.empty())
            rows.push_back(RowOfSlot(number));
    return rows;
}

DeviceRow DeviceSession::RowOfSlot(int number) const
{
    const NumerIP& slot = devices_[number];
    DeviceRow row;
    row.Address = slot.Address;
    row.Mask = slot.Mask;
    row.Mac = slot.Mac;
    row.Port = slot.Port;
    row.FlagE = slot.FlagE;
    row.ReadOk = slot.ReadOk;
    row.Interface = slot.InterfaceName;
    for (int other = 1; other <= DeviceTable::kSlots && !row.AddressShared; ++other)
        row.AddressShared = other != number && devices_[other].Address == slot.Address;
    if (slot.FlagE)
        row.Image = DeviceRow::kImageLetterE;
    else if (!slot.ReadOk)
        row.Image = DeviceRow::kImageExclamation;
    return row;
}

NumerIP* DeviceSession::SlotOf(const DeviceRow& device)
{
    for (int number = 1; number <= DeviceTable::kSlots; ++number)
        if (!device.Mac.empty() && devices_[number].Mac == device.Mac && devices_[number].Address == device.Address)
            return &devices_[number];
    return nullptr;
}

} // namespace protocol
