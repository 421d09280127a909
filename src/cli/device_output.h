// SPDX-License-Identifier: MIT
#pragma once
#include "cli/command_line.h"
#include "cli/engine_session.h"

#include <string>
#include <vector>

namespace cli {

// The listed devices in the asked form. csv: header
// "address,mask,mac,port,flag_e,read_ok,address_shared" and one line per
// device; json: an array of objects with those keys (flags as booleans);
// table: aligned columns with Polish headings.
std::string FormatDevices(const std::vector<protocol::DeviceRow>& devices, Format format);

// A CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text);

// Lines of text in aligned columns, two spaces apart.
std::string AlignedColumns(const std::vector<std::vector<std::string>>& lines);

} // namespace cli
