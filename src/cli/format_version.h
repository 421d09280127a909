// SPDX-License-Identifier: MIT
// The versions of the machine-readable documents: a script checks them
// before it reads on.
#pragma once

namespace cli {

// list, set, apply (json and jsonl) and plan errors of apply.
inline constexpr int kFormatVersion = 2;
// check --format json.
inline constexpr int kCheckFormatVersion = 1;

} // namespace cli
