// SPDX-License-Identifier: MIT
// Files that are on the disk when the call returns (fsync), for the journal
// and the undo plans.
#pragma once
#include "journal/file_status.h"

#include <string>

namespace journal {

// The directory part of `path`: "." when it has none.
std::string DirectoryOf(const std::string& path);

// Creates `directory` and its missing parents with mode 0700.
FileStatus MakeDirectories(const std::string& directory);

// Appends `line` and a line break to `path` (created with its directories,
// mode 0600 and 0700) in one write, then fsyncs the file (and its directory
// when the file is new). The file's directory must be the user's own with
// mode 0700 (journal/own_directory.h), the file a regular file and no
// symbolic link; appends are serialised with flock. A torn last line left by
// a crash is closed first, so the new record never joins it. A write or
// fsync that fails (a full disk: ENOSPC) cuts the file back to its length
// before the call, so no torn line is left; every failure, also of close,
// is returned.
FileStatus AppendLine(const std::string& path, const std::string& line);

// Writes `content` to `path` and fsyncs it. An existing regular file is
// replaced atomically (a temporary file beside it, then rename), keeping its
// mode; a new file is created with mode 0600; anything else (a terminal, a
// pipe) is written in place.
FileStatus WriteWholeFile(const std::string& path, const std::string& content);

} // namespace journal
