// SPDX-License-Identifier: MIT
// The journal read back: every change, newest last, its begin and end
// records paired.
#pragma once
#include "journal/file_status.h"
#include "journal/journal_records.h"

#include <optional>
#include <string>
#include <vector>

namespace journal {

struct JournalChange {
    BeginRecord Begin;
    std::optional<EndRecord> End; // none: unfinished (the run was cut short)
};

struct JournalContents {
    std::vector<JournalChange> Changes; // in the order they began
    std::size_t SkippedLines = 0;       // torn, corrupt or foreign lines, ends without a begin
    FileStatus Status;                  // reading failed (a missing journal is an empty one)
};

// Reads the journal at `path`. A later end record of the same change
// replaces an earlier one.
JournalContents ReadJournal(const std::string& path);

} // namespace journal
