// SPDX-License-Identifier: MIT
#include "journal/csv_cell.h"

#include <string_view>

namespace journal {

namespace {

constexpr std::string_view kFormulaStarts = "=+-@\t\r";

} // namespace

std::string CsvCell(const std::string& text)
{
    const bool formula = !text.empty() && kFormulaStarts.find(text[0]) != std::string_view::npos;
    const std::string cell = formula ? '\'' + text : text;
    if (cell.find_first_of(",\"\t\r\n") == std::string::npos)
        return cell;
    std::string quoted = "\"";
    for (const char c : cell) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

} // namespace journal
