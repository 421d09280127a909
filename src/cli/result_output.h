// SPDX-License-Identifier: MIT
#pragma once
#include "cli/command_line.h"

#include <string>
#include <vector>

namespace cli {

// What became of one asked change.
enum class Outcome {
    Verified,      // changed, and the verifying discovery lists it with the new address and mask
    Partial,       // the verifying discovery shows the new address but the old mask, or the reverse
    Unverified,    // changed, but it did not answer the verifying discovery
    Refused,       // nothing changed: the device refused or did not answer a step, or its read
    NotFound,      // no device with that MAC answered the discovery
    Planned,       // --dry-run: would be changed
    Unchanged,     // it holds the planned address and mask already: nothing sent
    Conflict,      // the new address is in use on the segment: nothing sent
    InterfaceGone, // the interface the device answered on went away or is down
    Changed,       // the change went through; its verification comes later in the run
    Interrupted,   // the run ended while this device was being changed
    NotAttempted,  // the run ended before this line
};

struct ChangeResult {
    int LineNumber = 0; // plan line, 0 for set
    std::string Mac;
    std::string Address; // the new address and mask asked for
    std::string Mask;
    std::string OldAddress; // what the discovery before the change read
    std::string OldMask;
    std::string Interface;
    cli::Outcome Outcome = cli::Outcome::NotFound;
    std::string Detail;         // why, in Polish
    bool AddressChecked = true; // false: the probe for the new address could not run
};

const char* MachineName(Outcome outcome);

// One result line as it is written when it is known: table, csv (without the
// header) or jsonl; json keeps its lines for the document at the end.
std::string FormatResultLine(const ChangeResult& result, Format format);
// The csv header; empty for the other forms.
std::string ResultHeader(Format format);
// What ends the output: the table's summary, the jsonl summary object, or
// the whole json document.
std::string FormatResultEnd(const std::vector<ChangeResult>& results, Format format, bool withSummary);

// 0 when every line ended as asked (verified, unchanged, planned), else 3.
// With `detailed`: 0 nothing to do, 4 changes made or pending.
int ExitStatusOf(const std::vector<ChangeResult>& results, bool detailed);

} // namespace cli
