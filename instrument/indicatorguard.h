#pragma once

// Shows the busy indicator (mode 2) for its own lifetime and clears it (mode 3) when it ends.
class IndicatorGuard
{
public:
    IndicatorGuard();
    ~IndicatorGuard();
    IndicatorGuard(const IndicatorGuard &) = delete;
    IndicatorGuard &operator=(const IndicatorGuard &) = delete;
};
