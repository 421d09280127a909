// SPDX-License-Identifier: MIT
// Plans that put devices back: in the format `muxconfig apply` reads
// (header "mac,address,mask", one device a line).
#pragma once
#include "journal/file_status.h"
#include "journal/journal_reading.h"

#include <string>
#include <vector>

namespace journal {

// A device and the address and mask to give it, as bytes as the device sent
// them (read by the last discovery; a device can send anything there).
struct PlanDevice {
    std::string Mac;
    std::string Address;
    std::string Mask;
};

// A device the plan cannot put back as it was read: its lines in the plan
// are "#" comments saying what is missing, for the operator to complete.
struct LeftOutDevice {
    std::string Mac; // as the device sent it
    std::string Why; // Polish, one line, control and non-ASCII bytes shown as \xNN
};

struct UndoPlan {
    std::string Text;                   // the plan file
    std::vector<LeftOutDevice> LeftOut; // in the order of the devices
};

// The plan holds only what the plan reader accepts, so it stays appliable
// whatever the devices sent: a device's line has its MAC text as the device
// sent it (one CSV cell) and the canonical address and mask. A device whose
// MAC is no MAC spelling, whose address or mask is unknown or invalid, whose
// address and mask "Ustaw" would refuse, or whose MAC or address an earlier
// line has already, is left out: a comment line says why, and a
// commented-out line with what is known follows it, to be completed and
// uncommented.
UndoPlan MakeUndoPlan(const std::vector<PlanDevice>& devices);

// MakeUndoPlan(devices).Text.
std::string UndoPlanText(const std::vector<PlanDevice>& devices);

// The operator's warning about a left-out device:
// "plan cofnięcia: urządzenie MAC: WHY (w planie jako komentarz #)".
std::string LeftOutWarning(const LeftOutDevice& device);

// Writes the plan to `path` and flushes it to the disk (fsync) before
// returning; an existing file is replaced atomically. Never throws.
// journal/plan_path.h checks a path beforehand.
FileStatus WriteUndoPlan(const std::string& path, const UndoPlan& plan);
FileStatus WriteUndoPlan(const std::string& path, const std::vector<PlanDevice>& devices);

// The devices changed in `run` with their addresses and masks from before
// it: for a device changed more than once, its earliest change in the run.
// Finished or not, every begun change counts (an interrupted one may have
// taken effect).
std::vector<PlanDevice> UndoOfRun(const std::vector<JournalChange>& changes, const std::string& run);

} // namespace journal
