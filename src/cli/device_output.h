// SPDX-License-Identifier: MIT
#pragma once
#include "cli/command_line.h"
#include "protocol/device_session.h"

#include <string>

namespace cli {

// The devices of a discovery in the asked form. json/jsonl: a document
// {"format_version": 2, "devices": [...], "interfaces": [...]}, with the
// devices that answered but could not be read (read_ok false, a reason code
// and its Polish text), the port as a number and each device's interface;
// csv: one line per device, header first; table: aligned columns with
// Polish headings, the listed devices only. `masksUnknown`: a quick
// discovery, nobody was read.
std::string FormatDevices(const protocol::DiscoveryResult& discovery, Format format, bool masksUnknown = false);

} // namespace cli
