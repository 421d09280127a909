// SPDX-License-Identifier: MIT
#pragma once
#include <string>

namespace protocol {

// One listed device: who it is, what the last discovery read of it, and what
// its row's picture stands for.
struct DeviceRow {
    static constexpr int kNoImage = -1;
    static constexpr int kImageExclamation = 0;
    static constexpr int kImageLetterE = 1;

    std::string Address;
    std::string Mask;
    std::string Mac;
    std::string Port;
    int Image = kNoImage;
    bool FlagE = false;         // the device's flags carry the E mark
    bool ReadOk = false;        // its read in this cycle succeeded and its address is its own
    bool AddressShared = false; // another listed device answered from the same address
    std::string Interface;      // the system's name (UTF-8) of the interface it answered on; empty: not known
    // Another address its MAC answered the discovery from (one MAC in two
    // places: no command can tell which device it reaches); empty: none.
    std::string MacAlsoAt;
};

// What the device session is doing, for a user who waits on it.
struct Progress {
    enum class Activity {
        Idle,      // nothing runs
        Searching, // discovery sent, collecting replies
        Reading,   // reading device Current of Total (1-based), at Device
        Changing,  // changing the device at Device
    };
    Activity What = Activity::Idle;
    int Current = 0;
    int Total = 0;
    std::string Device; // the device's address
};

} // namespace protocol
