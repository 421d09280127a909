// SPDX-License-Identifier: MIT
#include "protocol/address_key.h"
#include "protocol/device_session.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
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
    // address split the table into runs sorted on their own: each pass
    // compares inside the runs only, bottom run first, in the very order of
    // a pass over the whole table. The passes stop once one swaps nothing
    // (no later pass could) and never look past the last slot in use: the
    // same order and marks as all 254 full passes. The sort moves slot
    // numbers; the slots themselves move once, at the end.
    int lastUsed = 0;
    std::array<int32_t, DeviceTable::kSlots + 1> key{};
    std::array<int, DeviceTable::kSlots + 1> slotAt{};
    for (int number = 1; number <= DeviceTable::kSlots; ++number) {
        key[number] = AddressKey(devices_[number].Address);
        slotAt[number] = number;
        if (!devices_[number].Address.empty())
            lastUsed = number;
    }
    struct UsedRun {
        int first, last;
    };
    std::array<UsedRun, DeviceTable::kSlots / 2 + 1> runs{}; // from the bottom up
    std::size_t runCount = 0;
    for (int number = lastUsed; number >= 1; --number) {
        if (devices_[number].Address.empty())
            continue;
        if (runCount == 0 || runs[runCount - 1].first != number + 1)
            runs[runCount++] = {number, number};
        else
            runs[runCount - 1].first = number;
    }
    bool swapped = true;
    for (int pass = 1; pass < lastUsed && swapped; ++pass) {
        swapped = false;
        for (std::size_t r = 0; r < runCount; ++r) {
            const int top = std::max(runs[r].first, pass);
            for (int k = runs[r].last - 1; k >= top; --k) {
                if (key[k] > key[k + 1])
                    continue;
                std::swap(slotAt[k], slotAt[k + 1]);
                std::swap(key[k], key[k + 1]);
                swapped = true;
                if (key[k] != key[k + 1])
                    continue;
                NumerIP& nowLower = devices_[slotAt[k]];
                if (nowLower.Address == devices_[slotAt[k + 1]].Address)
                    nowLower.ReadOk = false;
            }
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
    std::vector<DeviceRow> rows;
    int listed = 0;
    for (int number = 1; number <= DeviceTable::kSlots; ++number)
        listed += devices_[number].Address.empty() ? 0 : 1;
    rows.reserve(static_cast<std::size_t>(listed));
    for (int number = 1; number <= DeviceTable::kSlots; ++number)
        if (!devices_[number].Address.empty())
            rows.push_back(RowOfSlot(number));
    // Sorted by key, equal addresses are neighbours; comparing keys first
    // spares nearly every text comparison.
    std::vector<std::pair<int32_t, std::string_view>> byKey;
    byKey.reserve(rows.size());
    for (const DeviceRow& row : rows)
        byKey.emplace_back(AddressKey(row.Address), row.Address);
    std::sort(byKey.begin(), byKey.end());
    std::vector<std::string_view> shared;
    for (std::size_t n = 1; n < byKey.size(); ++n)
        if (byKey[n] == byKey[n - 1])
            shared.push_back(byKey[n].second);
    for (DeviceRow& row : rows)
        row.AddressShared = std::find(shared.begin(), shared.end(), row.Address) != shared.end();
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
