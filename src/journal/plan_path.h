// SPDX-License-Identifier: MIT
#pragma once
#include "journal/file_status.h"

#include <string>
#include <vector>

namespace journal {

// Whether an undo plan can be written to `path` now, as WriteUndoPlan writes
// it: for a run to check before its first datagram, so a plan that cannot
// be saved stops the run while nothing has changed yet. The path must not
// be a directory; its directory must exist and be writable (an existing
// plan is replaced through a temporary file beside it; in a sticky
// directory only a file of the user's own can be). A terminal or a pipe
// already there must be writable. Nothing is created.
//
// A file already at `path` is replaced only when it is an earlier undo plan
// (its first line is the plan's header) and none of `kept` (the plan being
// run, the journal): the same file under another name counts, by device and
// inode.
FileStatus CheckPlanPath(const std::string& path, const std::vector<std::string>& kept = {});

// The first line of every undo plan.
inline constexpr const char* kUndoPlanHeader = "mac,address,mask";

// CheckPlanPath's reasons: `path` is the same file as `kept`; the file
// there is not an earlier undo plan.
std::string SameFileRefusal(const std::string& kept);
std::string NotAnUndoPlanRefusal();

} // namespace journal
