// SPDX-License-Identifier: MIT
#pragma once
#include <string>

namespace protocol {

// The plain modal message window (OK button, no icon, titled with the
// program's name). The main window implements it.
class OperatorMessages {
public:
    virtual ~OperatorMessages() = default;
    virtual void ShowMessage(const std::string& text) = 0;
};

} // namespace protocol
