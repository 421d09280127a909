// SPDX-License-Identifier: MIT
#pragma once
#include <string>

namespace app {

// The value the port field shows for a device's port text: the text read as
// a decimal integer (1001 when it is none), held within the field's range
// 1001 to 65534.
inline constexpr int kPortFieldMinimum = 1001;
inline constexpr int kPortFieldMaximum = 65534;
int PortFieldValue(const std::string& portText);

} // namespace app
