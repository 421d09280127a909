// SPDX-License-Identifier: MIT
// Writing to standard output or error with the failure seen: a full disk or
// a closed pipe ends the run with a message instead of a silent success.
#pragma once
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>

namespace cli {

// Writes `text` and flushes the stream. False when the stream failed (now or
// earlier), with `error` saying why: "No space left on device (błąd 28)".
bool Output(std::FILE* stream, const std::string& text, std::string& error);

// Why output to `fd` would be lost, checked without writing: a pipe whose
// reader has gone, /dev/full, a file on a full file system. Nothing when it
// looks writable.
std::optional<std::string> OutputUnusable(int fd);

// The system's text of errno `number` with the number: "... (błąd 28)".
std::string ErrorText(int number);

// Standard output could not be written: the run ends with status 1.
class OutputFailure : public std::runtime_error {
public:
    explicit OutputFailure(const std::string& error);
};

} // namespace cli
