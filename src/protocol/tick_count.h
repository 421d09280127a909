#pragma once
#include <cstdint>

namespace protocol {

// The system's millisecond tick counter; it wraps after about 49.7 days.
uint32_t TickCount();

// Milliseconds from start to now, correct across one wrap of the counter.
inline uint32_t TicksSince(uint32_t start, uint32_t now) { return now - start; }

} // namespace protocol
