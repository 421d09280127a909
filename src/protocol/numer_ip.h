// SPDX-License-Identifier: MIT
#pragma once
#include "protocol/protocol_constants.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace protocol {

// One found device. Texts are the bytes as the device sent them.
struct NumerIP {
    std::string Address; // sender of its discovery reply; empty: no listed device here
    std::string Mac;     // empty: the slot is free for recording
    std::string Port;
    std::string Mask;
    std::string Spare;
    bool ReadOk = false;
    bool FlagE = false;
    std::string DN;
    bool LoggedIn = false;
    // The interface its first discovery reply arrived on; its commands leave
    // only through it. 0: through whatever the routing table picks.
    uint32_t InterfaceIndex = 0;
    std::string InterfaceName;
    // Another address its MAC answered the discovery from; empty: none.
    std::string MacAlsoAt;
};

// The 255 device slots, numbered 1 to 255. A fixed array: a reference to a
// slot stays valid for the whole run.
class DeviceTable {
public:
    static constexpr int kSlots = kDeviceSlots;

    NumerIP& operator[](int number) { return slots_[Index(number)]; }
    const NumerIP& operator[](int number) const { return slots_[Index(number)]; }

private:
    static std::size_t Index(int number)
    {
        if (number < 1 || number > kSlots)
            throw std::out_of_range("device slot out of range");
        return static_cast<std::size_t>(number - 1);
    }

    std::array<NumerIP, kSlots> slots_{};
};

} // namespace protocol
