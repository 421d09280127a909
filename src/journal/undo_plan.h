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
// them (a plan is read as bytes, so they match the device exactly).
struct PlanDevice {
    std::string Mac;
    std::string Address;
    std::string Mask;
};

std::string UndoPlanText(const std::vector<PlanDevice>& devices);

// Writes the plan to `path` and flushes it to the disk (fsync) before
// returning; an existing file is replaced atomically. Never throws.
FileStatus WriteUndoPlan(const std::string& path, const std::vector<PlanDevice>& devices);

// The devices changed in `run` with their addresses and masks from before
// it: for a device changed more than once, its earliest change in the run.
// Finished or not, every begun change counts (an interrupted one may have
// taken effect).
std::vector<PlanDevice> UndoOfRun(const std::vector<JournalChange>& changes, const std::string& run);

} // namespace journal
