// SPDX-License-Identifier: MIT
#pragma once
#include "cli/command_line.h"

namespace cli {

// `muxconfig check PLAN`: reads and judges a plan as `apply` does (format,
// address and mask rules, duplicates) without any network. Errors go to
// stderr as `apply` prints them (under --format json, as one JSON document
// on stdout). A valid plan is confirmed on stdout: in a sentence, as the
// canonical plan (--format csv, itself a plan) or as JSON. Returns 0 for a
// valid plan, 2 otherwise.
int RunCheck(const Options& options);

} // namespace cli
