// SPDX-License-Identifier: MIT
// One cell of the CSV this program writes (plans, lists, results, history).
#pragma once
#include <string>

namespace journal {

// `text` as one CSV cell: in double quotes (a quote doubled) when it holds
// a comma, a quote, a tab or a line break, so nothing in it can end the cell
// or the line. A text a device sent can be anything, and a spreadsheet runs
// a cell that begins with "=", "+", "-", "@", a tab or a carriage return as
// a formula: such a cell gets a leading "'", which makes it plain text there
// (OWASP's advice on CSV injection). JSON output keeps the exact text.
std::string CsvCell(const std::string& text);

} // namespace journal
