// SPDX-License-Identifier: MIT
#pragma once
#include "cli/command_line.h"
#include "cli/engine_session.h"

#include <string>
#include <vector>

namespace cli {

// The devices of a discovery in the asked form. json/jsonl: a document
// {"format_version": 2, "devices": [...], "interfaces": [...]}, with the
// devices that answered but could not be read (read_ok false, a reason code
// and its Polish text), the port as a number and each device's interface;
// csv: one line per device, header first; table: aligned columns with
// Polish headings, the listed devices only. `masksUnknown`: a quick
// discovery, nobody was read.
std::string FormatDevices(const Discovery& discovery, Format format, bool masksUnknown = false);

// A CSV field as journal::CsvCell writes it: quoted when it holds a comma,
// a quote, a tab or a line break; a leading "'" when a spreadsheet would run
// it as a formula (it begins with "=", "+", "-", "@", a tab or a CR).
std::string CsvField(const std::string& text);

// Lines of text in aligned columns, two spaces apart.
std::string AlignedColumns(const std::vector<std::vector<std::string>>& lines);

} // namespace cli
