#pragma once

#include <cstddef>
#include <memory>
#include <new>

namespace fc {

// A zeroed array of count doubles, or null when count is not positive or memory runs out: the
// numeric classes report a failed allocation as an error code instead of throwing.
inline std::unique_ptr<double[]> allocateDoubles(std::ptrdiff_t inCount)
{
    if (inCount <= 0)
        return nullptr;
    return std::unique_ptr<double[]>(new (std::nothrow) double[static_cast<std::size_t>(inCount)]());
}

// Stores an error code where the caller asked for one (error may be null).
inline void setError(int *error, int code)
{
    if (error)
        *error = code;
}

} // namespace fc
