// SPDX-License-Identifier: MIT
#pragma once
#include "cli/command_line.h"

namespace cli {

// Each runs one subcommand to its end and returns the exit status. They
// throw NetworkFailure when the command socket fails.
int RunList(const Options& options);
int RunSet(const Options& options);
int RunApply(const Options& options);

} // namespace cli
