#pragma once

#include <QtGlobal>

namespace platform {

// Sets the machine's wall clock (CLOCK_REALTIME) to a moment in milliseconds since the epoch. On
// failure *error (when given) receives errno; the process needs the right to change the clock.
bool setSystemClock(qint64 msecsSinceEpoch, int *error = nullptr);

// Stands in for the clock setting when set (tests never change the machine's clock): receives the
// moment and answers as setSystemClock would. Returns the hook it replaces; nullptr restores the
// real clock.
using ClockHook = bool (*)(qint64 msecsSinceEpoch, int *error);
ClockHook setClockHook(ClockHook hook);

} // namespace platform
