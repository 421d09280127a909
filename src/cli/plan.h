// SPDX-License-Identifier: MIT
#pragma once
#include <string>
#include <vector>

namespace cli {

// One line of a re-addressing plan: which device gets which address and mask.
struct PlanLine {
    int lineNumber = 0; // in the file, from 1
    std::string mac;
    std::string address;
    std::string mask;
};

struct Plan {
    std::vector<PlanLine> lines;
    std::vector<std::string> errors; // "line N: why", in Polish; empty when the plan may run
};

// Reads a plan text: lines "mac,address,mask", an optional header line
// "mac,address,mask", "#" comment lines and blank lines. Every line's
// address and mask are judged as "Ustaw" judges them; no MAC and no new
// address may occur twice.
Plan ParsePlan(const std::string& text);

} // namespace cli
