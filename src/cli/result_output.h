// SPDX-License-Identifier: MIT
#pragma once
#include "cli/command_line.h"

#include <string>
#include <vector>

namespace cli {

// What became of one asked change.
enum class Outcome {
    Verified,   // changed, and the verifying discovery lists it with the new address and mask
    Unverified, // changed, but the verifying discovery does not show the new settings
    Refused,    // the device refused or did not answer a step of the change, or its read
    NotFound,   // no device with that MAC answered the discovery
    Planned,    // --dry-run: would be changed
};

struct ChangeResult {
    int lineNumber = 0; // plan line, 0 for set
    std::string mac;
    std::string address;
    std::string mask;
    Outcome outcome = Outcome::NotFound;
    std::string detail; // why, in Polish, for Refused
};

// Result lines, then (table form, unless quiet) a summary. csv: header
// "line,mac,address,mask,result,detail"; json: {"results": [objects with
// those keys], "summary": {"total", "verified", "unverified", "refused",
// "not_found", "planned"}}. Result names: verified, unverified, refused,
// not_found, planned.
std::string FormatResults(const std::vector<ChangeResult>& results, Format format, bool withSummary);

// 0 when every change was verified (or, dry run, can be made), else 3.
int ExitStatusOf(const std::vector<ChangeResult>& results);

} // namespace cli
