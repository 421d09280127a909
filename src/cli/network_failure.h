// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

namespace cli {

// The command socket failed: what the window's "UWAGA" box would say.
class NetworkFailure : public std::runtime_error {
public:
    NetworkFailure(int32_t code, const std::string& description);
    int32_t Code;
    std::string Description;
};

} // namespace cli
