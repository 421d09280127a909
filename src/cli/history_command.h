// SPDX-License-Identifier: MIT
// muxconfig history: the journal of changes (journal/change_journal.h), or a
// plan that puts the devices of a past run back. Reads a file only: no
// socket, no network.
#pragma once
#include "cli/command_line.h"
#include "journal/journal_reading.h"

#include <string>
#include <vector>

namespace cli {

// The changes, newest last. csv: header
// "time,run,user,host,interface,mac,old_address,old_mask,new_address,new_mask,outcome,detail";
// json: an array of objects with those keys; table: aligned columns with
// Polish headings, control characters escaped. A change without an outcome
// record has the outcome "unfinished".
std::string FormatHistory(const std::vector<journal::JournalChange>& changes, Format format);

// Prints the history (--mac: of one device; --undo RUN: the undo plan of
// that run instead, each device it leaves out as a comment warned about on
// stderr). 0, 1 when the journal or standard output failed, 2 when
// the journal has no change of RUN.
int RunHistory(const Options& options);

} // namespace cli
