#pragma once

#include <QtGlobal>

// A small deterministic random source (xoshiro256** seeded through splitmix64): the same seed gives
// the same numbers on every machine and library, unlike the standard distributions, whose algorithms
// are left to each library.
class SampleRandom
{
public:
    explicit SampleRandom(quint64 inSeed);

    quint64 Next();
    // Uniform in [0, 1).
    double Uniform();
    // Uniform in [inLow, inHigh).
    double Uniform(double inLow, double inHigh);
    // Standard normal (Box-Muller; the second value of each pair is kept for the next call).
    double Normal();

private:
    quint64 state[4];
    double spare = 0.0;
    bool hasSpare = false;
};
