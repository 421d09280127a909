// SPDX-License-Identifier: MIT
#pragma once
#include "cli/command_line.h"
#include "cli/plan.h"

#include <vector>

namespace cli {

// Carries out the lines of a plan (one line for set): one discovery, the
// checks of every new address at once, the undo plan, then each change with
// its journal records, results written as they become known, and one
// verifying discovery. Returns the exit status.
int RunPlan(const std::vector<PlanLine>& lines, const Options& options);

} // namespace cli
