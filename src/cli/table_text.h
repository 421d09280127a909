// SPDX-License-Identifier: MIT
// Records as text: CSV fields and aligned columns.
#pragma once
#include <string>
#include <vector>

namespace cli {

// A CSV field as journal::CsvCell writes it: quoted when it holds a comma,
// a quote, a tab or a line break; a leading "'" when a spreadsheet would run
// it as a formula (it begins with "=", "+", "-", "@", a tab or a CR).
std::string CsvField(const std::string& text);

// Lines of text in aligned columns, two spaces apart.
std::string AlignedColumns(const std::vector<std::vector<std::string>>& lines);

} // namespace cli
