// SPDX-License-Identifier: MIT
// The command line's exit statuses (muxconfig(1), "EXIT STATUS"). A signal
// that ended a run gives 128 + its number (cli/stop_signals.h).
#pragma once
#include "change/change_result.h"

#include <vector>

namespace cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;    // the network, the journal or standard output failed
inline constexpr int kExitUsage = 2;      // usage or plan error: nothing sent
inline constexpr int kExitSomeFailed = 3; // some devices failed or could not be verified
inline constexpr int kExitChanges = 4;    // --detailed-exitcode: changes made or pending

// A run's status from its results: kExitOk when every line ended as asked
// (verified, unchanged, planned), else kExitSomeFailed. With `detailed`:
// kExitOk nothing to do, kExitChanges changes made or pending.
int ExitStatusOf(const std::vector<change::ChangeResult>& results, bool detailed);

} // namespace cli
