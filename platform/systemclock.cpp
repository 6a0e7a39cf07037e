#include "platform/systemclock.h"

#include <atomic>
#include <cerrno>
#include <ctime>

namespace platform {

namespace {

std::atomic<ClockHook> clockHook{nullptr};

} // namespace

bool setSystemClock(qint64 msecsSinceEpoch, int *error)
{
    if (const ClockHook hook = clockHook.load())
        return hook(msecsSinceEpoch, error);
    timespec moment{};
    moment.tv_sec = time_t(msecsSinceEpoch / 1000);
    moment.tv_nsec = long(msecsSinceEpoch % 1000) * 1000000L;
    if (moment.tv_nsec < 0) {
        moment.tv_sec -= 1;
        moment.tv_nsec += 1000000000L;
    }
    if (clock_settime(CLOCK_REALTIME, &moment) == 0)
        return true;
    if (error)
        *error = errno;
    return false;
}

ClockHook setClockHook(ClockHook hook)
{
    return clockHook.exchange(hook);
}

} // namespace platform
