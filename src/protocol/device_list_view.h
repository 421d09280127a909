// SPDX-License-Identifier: MIT
#pragma once
#include <string>

namespace protocol {

// One row of the device list, with what the row's picture stands for.
struct DeviceRow {
    std::string Address;
    std::string Mask;
    std::string Mac;
    int Image = -1;             // DeviceListView::kNoImage, kImageExclamation or kImageLetterE
    bool FlagE = false;         // the device's flags carry the E mark
    bool ReadOk = false;        // its read in this cycle succeeded and its address is its own
    bool AddressShared = false; // another listed device answered from the same address
    std::string Interface;      // name of the interface the device answered on; empty: not known
};

// What the device protocol is doing, for a user who waits on it.
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

// The list of found devices as the protocol fills it, and what the protocol
// tells its user while it works. The window implements it over its list
// widget; the command line over its output.
class DeviceListView {
public:
    static constexpr int kNoImage = -1;
    static constexpr int kImageExclamation = 0;
    static constexpr int kImageLetterE = 1;

    virtual ~DeviceListView() = default;
    virtual void Clear() = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual void AddRow(const DeviceRow& row) = 0;
    virtual void Repaint() = 0;
    virtual void ShowProgress(const Progress& /*progress*/) {}
};

} // namespace protocol
