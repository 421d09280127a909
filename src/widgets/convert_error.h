// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>
#include <string>

namespace widgets {

// Raised when a text is not a number. The IP edit control lets it pass to
// whoever reads a section or the numeric address.
class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace widgets
