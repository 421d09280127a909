// SPDX-License-Identifier: MIT
// The outcome of writing a journal or plan file: nothing thrown, the
// system's error number and text kept for the warning.
#pragma once
#include <string>

namespace journal {

struct FileStatus {
    int Error = 0;    // errno; 0 when everything reached the disk
    std::string Text; // the system's text of `Error`
    std::string Path; // the file or directory that failed

    bool Ok() const { return Error == 0; }
};

// The status of `error` on `path`, with the system's text.
FileStatus FailureOf(int error, const std::string& path);

// The operator's warning: "nie zapisano PATH: TEXT (błąd N)".
std::string WarningText(const FileStatus& status);

} // namespace journal
