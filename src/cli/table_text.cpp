// SPDX-License-Identifier: MIT
#include "cli/table_text.h"

#include "cli/text_bytes.h"
#include "journal/csv_cell.h"

#include <algorithm>

namespace cli {

std::string CsvField(const std::string& text) { return journal::CsvCell(text); }

std::string AlignedColumns(const std::vector<std::vector<std::string>>& lines)
{
    std::vector<std::size_t> widths;
    for (const auto& line : lines) {
        widths.resize(std::max(widths.size(), line.size()));
        for (std::size_t column = 0; column < line.size(); ++column)
            widths[column] = std::max(widths[column], Utf8Length(line[column]));
    }
    std::string text;
    for (const auto& line : lines) {
        std::string out;
        for (std::size_t column = 0; column < line.size(); ++column) {
            out += line[column];
            if (column + 1 < line.size())
                out += std::string(widths[column] - Utf8Length(line[column]) + 2, ' ');
        }
        text += out + '\n';
    }
    return text;
}

} // namespace cli
