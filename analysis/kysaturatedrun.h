#pragma once

// A run of consecutive profile points (indices along one lane, both ends inclusive) at which a
// saturated pixel took part in the sample.
class KySaturatedRun
{
public:
    KySaturatedRun(int inFirst, int inLast) : first(inFirst), last(inLast) {}

    // True when the run shares at least one point with from..to (touching ends count).
    bool overlaps(int inFrom, int inTo) const { return inFrom <= last && inTo >= first; }

    int first;
    int last;
};
