#pragma once

#include <cmath>
#include <limits>

// The double-to-int conversions of the lane analysis. They differ on purpose and must not be
// exchanged for one another (qRound, for one, rounds negative halves away from zero):
//   truncated        int(v)              half widths, default frame corners
//   truncatedHalfUp  int(v + 0.5)        lane geometry and bilinear samples: nearest for v >= 0,
//                                        halves up; toward zero for negative values
//   flooredHalfUp    int(floor(v + 0.5)) rolling-ball entries: nearest, halves up, for all v
// All three saturate at the int range and give 0 for NaN, so degenerate input (a vertical edge,
// a zero lane count, a huge radius) yields extreme but defined values instead of undefined ones.
namespace KyRounding {

inline int truncated(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (v <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

inline int truncatedHalfUp(double v)
{
    return truncated(v + 0.5);
}

inline int flooredHalfUp(double v)
{
    return truncated(std::floor(v + 0.5));
}

} // namespace KyRounding
