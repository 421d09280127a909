// SPDX-License-Identifier: MIT
// How many arping processes the process's file descriptor limit
// (RLIMIT_NOFILE, `ulimit -n`) lets run side by side.
#pragma once

namespace conflicts {

struct DescriptorBudget {
    int Limit = 0; // the soft limit
    int Free = 0;  // the limit less the descriptors open now
};

// Read afresh at every call.
DescriptorBudget CurrentDescriptorBudget();

// A running probe holds four descriptors (its output and error pipes, its
// process descriptor and one more) and needs four more while it starts;
// some are always left for the rest of the program (sockets, files, Qt's
// own). Zero when not even one probe can start.
int ProbesThatFit(const DescriptorBudget& budget);

// Whether starting one more probe would run out of descriptors now.
bool TooFewToStart(const DescriptorBudget& budget);

} // namespace conflicts
