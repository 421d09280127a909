// SPDX-License-Identifier: MIT
#include "checks/address_conversion.h"
#include "checks/mac_text.h"
#include "protocol/address_key.h"
#include "protocol/device_engine.h"

#include <array>
#include <map>
#include <utility>

namespace protocol {

void DeviceEngine::MarkMacsInTwoPlaces()
{
    // One MAC value spelt two ways (two slots) is one MAC in two places too.
    std::map<std::string, NumerIP*> firstByValue;
    for (int number = 1; number <= DeviceTable::kSlots; ++number) {
        NumerIP& slot = devices_[number];
        if (slot.Address.empty())
            continue;
        const auto [first, isFirst] = firstByValue.try_emplace(checks::MacKey(slot.Mac), &slot);
        if (isFirst)
            continue;
        if (first->second->MacAlsoAt.empty())
            first->second->MacAlsoAt = slot.Address;
        if (slot.MacAlsoAt.empty())
            slot.MacAlsoAt = first->second->Address;
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
        key[number] = AddressKey(checks::ConvertedAddress(devices_[number].Address));
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

std::map<std::string, int> DeviceEngine::DevicesByAddress() const
{
    std::map<std::string, int> count;
    for (int number = 1; number <= DeviceTable::kSlots; ++number)
        if (!devices_[number].Address.empty())
            ++count[devices_[number].Address];
    return count;
}

std::vector<DeviceRow> DeviceEngine::Rows() const
{
    const std::map<std::string, int> devicesAt = DevicesByAddress();
    std::vector<DeviceRow> rows;
    for (int number = 1; number <= DeviceTable::kSlots; ++number)
        if (!devices_[number].Address.empty())
            rows.push_back(RowOf(devices_[number], devicesAt));
    return rows;
}

DeviceRow DeviceEngine::RowOf(const NumerIP& slot, const std::map<std::string, int>& devicesAt) const
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
    const auto at = devicesAt.find(slot.Address);
    row.AddressShared = at != devicesAt.end() && at->second > 1;
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
