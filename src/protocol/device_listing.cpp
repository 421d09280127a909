// SPDX-License-Identifier: MIT
#include "protocol/address_key.h"
#include "protocol/device_session.h"

#include <array>
#include <map>
#include <string>
#include <utility>
#include <vector>

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
    // address split the table into runs sorted on their own. The passes stop
    // once one swaps nothing (no later pass could) and never look past the
    // last slot in use: the same order and marks as all 254 full passes. The
    // sort moves slot numbers; the slots themselves move once, at the end.
    int lastUsed = 0;
    std::array<int32_t, DeviceTable::kSlots + 1> key{};
    std::array<int, DeviceTable::kSlots + 1> slotAt{};
    std::array<bool, DeviceTable::kSlots + 1> used{}; // empty slots never move
    for (int number = 1; number <= DeviceTable::kSlots; ++number) {
        key[number] = AddressKey(devices_[number].Address);
        slotAt[number] = number;
        used[number] = !devices_[number].Address.empty();
        if (used[number])
            lastUsed = number;
    }
    bool swapped = true;
    for (int pass = 1; pass < lastUsed && swapped; ++pass) {
        swapped = false;
        for (int k = lastUsed - 1; k >= pass; --k) {
            if (!used[k] || !used[k + 1] || key[k] > key[k + 1])
                continue;
            std::swap(slotAt[k], slotAt[k + 1]);
            std::swap(key[k], key[k + 1]);
            swapped = true;
            NumerIP& nowLower = devices_[slotAt[k]];
            if (key[k] == key[k + 1] && nowLower.Address == devices_[slotAt[k + 1]].Address)
                nowLower.ReadOk = false;
        }
    }
    // Position k takes the slot that was at slotAt[k]: each cycle of the
    // permutation rotates once, without a second table.
    std::array<bool, DeviceTable::kSlots + 1> placed{};
    for (int start = 1; start <= lastUsed; ++start) {
        if (placed[start] || slotAt[start] == start)
            continue;
        NumerIP first = std::move(devices_[start]);
        for (int k = start;; k = slotAt[k]) {
            placed[k] = true;
            if (slotAt[k] == start) {
                devices_[k] = std::move(first);
                break;
            }
            devices_[k] = std::move(devices_[slotAt[k]]);
        }
    }
}

std::vector<DeviceRow> DeviceSession::Rows() const
{
    std::map<std::string, int> holders;
    std::size_t listed = 0;
    for (int number = 1; number <= DeviceTable::kSlots; ++number)
        if (!devices_[number].Address.empty()) {
            ++holders[devices_[number].Address];
            ++listed;
        }
    std::vector<DeviceRow> rows;
    rows.reserve(listed);
    for (int number = 1; number <= DeviceTable::kSlots; ++number)
        if (!devices_[number].Address.empty()) {
            rows.push_back(RowOfSlot(number));
            rows.back().AddressShared = holders[devices_[number].Address] > 1;
        }
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
