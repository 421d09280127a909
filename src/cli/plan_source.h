// SPDX-License-Identifier: MIT
#pragma once
#include <string>

namespace cli {

struct PlanSource {
    std::string Text;
    std::string Error; // why not, without the path; empty when read
};

// The bytes of a plan file, or of standard input for "-". At most
// kMaxPlanBytes + 1 bytes are read, so an endless source (/dev/zero, a
// pipe that never closes after its first megabyte) ends promptly with an
// error instead of filling the memory.
PlanSource ReadPlanSource(const std::string& path);

} // namespace cli
