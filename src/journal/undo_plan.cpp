// SPDX-License-Identifier: MIT
#include "journal/undo_plan.h"

#include "journal/durable_file.h"

#include <cerrno>
#include <exception>
#include <set>

namespace journal {

std::string UndoPlanText(const std::vector<PlanDevice>& devices)
{
    std::string text = "mac,address,mask\n";
    for (const PlanDevice& device : devices)
        text += device.Mac + ',' + device.Address + ',' + device.Mask + '\n';
    return text;
}

FileStatus WriteUndoPlan(const std::string& path, const std::vector<PlanDevice>& devices)
{
    try {
        return WriteWholeFile(path, UndoPlanText(devices));
    } catch (const std::exception&) {
        return FailureOf(ENOMEM, path);
    }
}

std::vector<PlanDevice> UndoOfRun(const std::vector<JournalChange>& changes, const std::string& run)
{
    std::vector<PlanDevice> devices;
    std::set<std::string> seen;
    for (const JournalChange& change : changes) {
        const ChangeStart& start = change.Begin.Start;
        if (change.Begin.Run == run && seen.insert(start.Mac).second)
            devices.push_back({start.Mac, start.OldAddress, start.OldMask});
    }
    return devices;
}

} // namespace journal
