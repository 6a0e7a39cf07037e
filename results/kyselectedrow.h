#pragma once

#include <QVariant>

// One band-result row of the result tables: eight cells in model-column order ("Channel", "Lane",
// "Band", "Volume", "Lane %", "Normalized value", "MW", "Rf"), the band's saturation flag and the
// 0-based channel index.
struct KySelectedRow
{
    KySelectedRow() = default;
    KySelectedRow(const QVariant &inChannel, const QVariant &inLane, const QVariant &inBand, const QVariant &inVolume,
                  const QVariant &inLanePercent, const QVariant &inNormalizedValue, const QVariant &inMw,
                  const QVariant &inRf, bool inSaturated, int inChannelIndex)
        : channel(inChannel), lane(inLane), band(inBand), volume(inVolume), lanePercent(inLanePercent),
          normalizedValue(inNormalizedValue), mw(inMw), rf(inRf), saturated(inSaturated), channelIndex(inChannelIndex)
    {
    }

    static constexpr int kCellCount = 8;

    // Cell 0..7; an invalid value for another column.
    QVariant cell(int inColumn) const
    {
        switch (inColumn) {
        case 0: return channel;
        case 1: return lane;
        case 2: return band;
        case 3: return volume;
        case 4: return lanePercent;
        case 5: return normalizedValue;
        case 6: return mw;
        case 7: return rf;
        default: return QVariant();
        }
    }

    QVariant channel;
    QVariant lane;
    QVariant band;
    QVariant volume;
    QVariant lanePercent;
    QVariant normalizedValue;
    QVariant mw;
    QVariant rf;
    bool saturated = false;
    int channelIndex = 0;
};
