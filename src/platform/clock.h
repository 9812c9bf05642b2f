// The program's one time source: milliseconds of a monotonic wall clock. Only differences
// mean anything. It keeps counting while a thread sleeps or waits, which every time
// control relies on (a processor-time clock would stand still then).
#pragma once

#include <cstdint>

namespace kestrin {

std::int64_t ClockMilliseconds();

// Replaces the time source (tests drive the game clocks with it); nullptr restores the real one.
using ClockSource = std::int64_t (*)();
void SetClockSource(ClockSource source);

} // namespace kestrin
