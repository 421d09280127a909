// SPDX-License-Identifier: MIT
// One cell of the CSV this program writes (plans, lists, results, history).
#pragma once
#include <string>

namespace journal {

// `text` as one CSV cell: in double quotes (a quote doubled) when it holds
// a comma, a quote or a line break, so nothing in it can end the cell or
// the line.
std::string CsvCell(const std::string& text);

} // namespace journal
