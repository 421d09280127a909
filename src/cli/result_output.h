// SPDX-License-Identifier: MIT
#pragma once
#include "change/change_result.h"
#include "cli/command_line.h"

#include <string>
#include <vector>

namespace cli {

using change::ChangeResult;
using change::Outcome;

// One result line as it is written when it is known: table, csv (without the
// header) or jsonl; json keeps its lines for the document at the end.
std::string FormatResultLine(const ChangeResult& result, Format format);
// The csv header; empty for the other forms.
std::string ResultHeader(Format format);
// What ends the output: the table's summary, the jsonl summary object, or
// the whole json document.
// `journalProblem`: why the run's journal records could not be written, if they could not.
std::string FormatResultEnd(const std::vector<ChangeResult>& results, Format format, bool withSummary,
                            const std::string& journalProblem = {});

} // namespace cli
