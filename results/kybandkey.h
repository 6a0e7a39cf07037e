#pragma once

#include "results/kyselectedrow.h"

// A picked band: channel, lane and band, all 0-based.
struct KyBandKey
{
    int channel = 0;
    int lane = 0;
    int band = 0;

    static KyBandKey of(const KySelectedRow &inRow)
    {
        return KyBandKey{inRow.channelIndex, inRow.lane.toInt() - 1, inRow.band.toInt() - 1};
    }

    int orderValue() const { return channel * 10000 + lane * 100 + band; }

    bool operator==(const KyBandKey &other) const = default;
};
