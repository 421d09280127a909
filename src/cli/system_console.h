// SPDX-License-Identifier: MIT
// Where the command line meets the system's console and files differently on
// Linux and Windows (system_console_posix.cpp, system_console_windows.cpp).
#pragma once
#include <string>

namespace cli {

// A file opened for reading (not inherited by child processes); -1 with errno.
int OpenForReading(const std::string& path);

// Readies the standard streams for a run: on Linux a vanished reader
// becomes a failed write (SIGPIPE ignored); on Windows the console shows
// UTF-8 and the streams are binary, so CSV and JSON keep their "\n".
void PrepareConsole();

} // namespace cli
