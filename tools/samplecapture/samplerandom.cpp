#include "samplerandom.h"

#include <cmath>

namespace {

quint64 splitMix(quint64 &ioState)
{
    quint64 z = (ioState += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

quint64 rotl(quint64 inValue, int inBits)
{
    return (inValue << inBits) | (inValue >> (64 - inBits));
}

} // namespace

SampleRandom::SampleRandom(quint64 inSeed)
{
    quint64 s = inSeed;
    for (quint64 &word : state)
        word = splitMix(s);
}

quint64 SampleRandom::Next()
{
    const quint64 result = rotl(state[1] * 5, 7) * 9;
    const quint64 t = state[1] << 17;
    state[2] ^= state[0];
    state[3] ^= state[1];
    state[1] ^= state[2];
    state[0] ^= state[3];
    state[2] ^= t;
    state[3] = rotl(state[3], 45);
    return result;
}

double SampleRandom::Uniform()
{
    // The top 53 bits: every double in [0, 1) on a grid of 2^-53.
    return double(Next() >> 11) * 0x1.0p-53;
}

double SampleRandom::Uniform(double inLow, double inHigh)
{
    return inLow + (inHigh - inLow) * Uniform();
}

double SampleRandom::Normal()
{
    if (hasSpare) {
        hasSpare = false;
        return spare;
    }
    // 1 - u lies in (0, 1]: the logarithm stays finite.
    const double radius = std::sqrt(-2.0 * std::log(1.0 - Uniform()));
    const double angle = 2.0 * M_PI * Uniform();
    spare = radius * std::sin(angle);
    hasSpare = true;
    return radius * std::cos(angle);
}
