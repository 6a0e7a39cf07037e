#pragma once

#include "analysis/kybandinfo.h"

#include <QVector>

// The bands of one lane, ordered by start and never overlapping (neighbours may touch), with the lane
// total used as 100 %.
//
// The bounded edits (addBand, moveBand, spreadBand) keep that order and refuse an edit with -1,
// leaving the list unchanged. append, replace and setBand trust their callers (detection, the stored
// analysis, volume updates) to supply ordered bands.
class KyBandList
{
public:
    KyBandList() = default;

    int count() const { return int(mBands.size()); }
    // No range check: the caller keeps i within 0..count() - 1.
    KyBandInfo &at(int i) { return mBands[i]; }
    const KyBandInfo &at(int i) const { return mBands[i]; }
    // A default band for an index outside the list.
    KyBandInfo band(int i) const;
    const QVector<KyBandInfo> &bands() const { return mBands; }

    double total() const { return mTotal; }
    void setTotal(double inTotal) { mTotal = inTotal; }

    void append(const KyBandInfo &inBand);
    void replace(int i, const KyBandInfo &inBand);
    void setBand(int i, const KyBandInfo &inBand);
    void removeAt(int i);
    void truncate(int n);

    int addBand(const KyBandInfo &inBand);
    int moveBand(int i, int inDelta, int inLimit);
    int spreadBand(int i, int inDelta, int inLimit);

    // Read from the instrument settings on every call, so a changed setting takes effect at once.
    static int maxBandCount();
    static int maxAutoDetectBandCount();

private:
    bool fitsBetweenNeighbours(int i, int inStart, int inEnd) const;

    QVector<KyBandInfo> mBands;
    double mTotal = 0.0;
};
