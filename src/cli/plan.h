// SPDX-License-Identifier: MIT
#pragma once
#include "change/plan_line.h"

#include <cstddef>
#include <string>
#include <vector>

namespace cli {

// A plan file larger than this is no plan (a real one is a few kilobytes).
inline constexpr std::size_t kMaxPlanBytes = 1024 * 1024;

// One line of a re-addressing plan: which device gets which address and
// mask, all three in their canonical texts (00:0E:C6:4A:10:03,
// 192.168.1.50, 255.255.255.0), judged by change::JudgeLine.
using change::PlanLine;

struct Plan {
    std::vector<PlanLine> Lines;     // the lines that passed every check
    std::vector<std::string> Errors; // "wiersz N: why", in Polish; empty when the plan may run
};

// Reads a plan text as people and programs write it:
// - UTF-8, with or without a byte-order mark; UTF-16 is refused;
// - fields separated by ",", ";" or a tab (as the first line has them),
//   quoted as RFC 4180 has it, lines ended by LF or CRLF;
// - "#" comment lines and blank lines skipped;
// - a header line names the columns, in any case, in English or Polish
//   ("mac"/"adres mac", "address"/"adres"/"adres ip", "mask"/"maska"/
//   "maska podsieci"); other columns are ignored, so the CSV output of
//   `list` and of `apply` are plans. Without a header: mac,address,mask.
// - a MAC in any case, with ":", "-", "." or no separator;
// - an address may carry its prefix (192.168.1.50/24), a mask may be a
//   prefix length (24 or /24).
// Every line's address and mask are judged as "Ustaw" judges them
// (change::JudgeLine, the run's own judgement); no MAC
// and no address may occur twice (compared in their canonical forms).
Plan ParsePlan(const std::string& text);

} // namespace cli
