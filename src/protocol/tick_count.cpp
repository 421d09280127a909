#include "protocol/tick_count.h"

#include <chrono>

namespace protocol {

uint32_t TickCount()
{
    const auto sinceBoot = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceBoot).count());
}

} // namespace protocol
