// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <string>

namespace cli {

// The command socket's first failure, kept: the later ones add nothing.
class FailureLatch {
public:
    void Record(int32_t code, const std::string& description);
    // Throws NetworkFailure with the first failure, once there is one.
    void ThrowIfFailed() const;

private:
    bool failed_ = false;
    int32_t code_ = 0;
    std::string description_;
};

} // namespace cli
