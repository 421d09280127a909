// SPDX-License-Identifier: MIT
#include "app/port_field.h"

#include <algorithm>
#include <charconv>

namespace app {

int PortFieldValue(const std::string& portText)
{
    const char* first = portText.data();
    const char* last = first + portText.size();
    if (first != last && *first == '+')
        ++first; // a plus sign is allowed; from_chars only takes a minus
    int value = 0;
    const auto [end, error] = std::from_chars(first, last, value, 10);
    if (first == last || error != std::errc() || end != last || (first != portText.data() && *first == '-'))
        value = kPortFieldMinimum;
    return std::clamp(value, kPortFieldMinimum, kPortFieldMaximum);
}

} // namespace app
