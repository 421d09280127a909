// SPDX-License-Identifier: MIT
#pragma once
#include "journal/file_status.h"

#include <string>

namespace journal {

// $XDG_STATE_HOME/muxconfig/journal.jsonl, by default
// ~/.local/state/muxconfig/journal.jsonl (a relative XDG_STATE_HOME is
// ignored, as the XDG base directory rules say). Empty when there is no home
// directory to put it in.
std::string JournalPath();

// Why there is no journal when JournalPath() is empty.
FileStatus NoPlaceStatus();

} // namespace journal
