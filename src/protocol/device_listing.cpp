// SPDX-License-Identifier: MIT
#include "checks/mac_text.h"
#include "protocol/address_key.h"
#include "protocol/device_engine.h"

#include <array>
#include <utility>

namespace protocol {

void DeviceEngine::MarkMacsInTwoPlaces()
{
    // One MAC value spelt two ways (two slots) is one MAC in two places too.
    std::array<std::string, DeviceTable::kSlots + 1> key{};
    for (int number = 1; number <= DeviceTable::kSlots; ++number)
        if (!devices_[number].Address.empty())
            key[number] = checks::MacKey(devices_[number].Mac);
    for (int one = 1; one <= DeviceTable::kSlots; ++one)
        for (int other = one + 1; other <= DeviceTable::kSlots && !key[one].empty(); ++other)
            if (key[other] == key[one]) {
                if (devices_[one].MacAlsoAt.empty())
                    devices_[one].MacAlsoAt = devices_[other].Address;
                if (devices_[other].MacAlsoAt.empty())
                    devices_[other].MacAlsoAt = devices_[one].Address;
            }
}

void DeviceEngine::ListDevices()
{
    MarkMacsInTwoPlaces();
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

std::vector<DeviceRow> DeviceEngine::Rows() const
{
    std::vector<DeviceRow> rows;
    for (int number = 1; number <= DeviceTable::kSlots; ++number)
        if (!devices_[number].Address.empty())
            rows.push_back(RowOf(devices_[number]));
    return rows;
}

DeviceRow DeviceEngine::RowOf(const NumerIP& slot) const
{
    DeviceRow row;
    row.Address = slot.Address;
    row.Mask = slot.Mask;
    row.Mac = slot.Mac;
    row.Port = slot.Port;
    row.FlagE = slot.FlagE;
    row.ReadOk = slot.ReadOk;
    row.Interface = slot.InterfaceName;
    row.MacAlsoAt = slot.MacAlsoAt;
    for (int other = 1; other <= DeviceTable::kSlots && !row.AddressShared; ++other)
        row.AddressShared = &devices_[other] != &slot && devices_[other].Address == slot.Address;
    // A MAC in two places outweighs the E mark: that row must not be changed.
    if (slot.FlagE && slot.MacAlsoAt.empty())
        row.Image = DeviceRow::kImageLetterE;
    else if (!slot.ReadOk || !slot.MacAlsoAt.empty())
        row.Image = DeviceRow::kImageExclamation;
    return row;
}

NumerIP* DeviceEngine::SlotOf(const DeviceRow& device)
{
    for (int number = 1; number <= DeviceTable::kSlots; ++number)
        if (!device.Mac.empty() && devices_[number].Mac == device.Mac && devices_[number].Address == device.Address)
            return &devices_[number];
    return nullptr;
}

} // namespace protocol
