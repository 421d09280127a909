// SPDX-License-Identifier: MIT
#pragma once
#include <nlohmann/json.hpp>

#include <string>

namespace cli {

// A JSON document as every subcommand writes it, with a line end: UTF-8,
// bytes that are no UTF-8 replaced (U+FFFD), and U+0080 to U+009F written
// as \u0080 to \u009f, so that the exact text survives and no C1 control
// (U+009B acts as CSI) reaches a terminal. `indent` -1: one line.
std::string JsonText(const nlohmann::ordered_json& json, int indent);

} // namespace cli
