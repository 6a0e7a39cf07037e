#pragma once

// One band of a lane: its start, peak and end positions along the lane profile (0 at the lane's top
// end), its measured volume and two marks.
class KyBandInfo
{
public:
    KyBandInfo() = default;
    KyBandInfo(int inStart, int inPeak, int inEnd, bool inNormalizationReference, double inVolume,
               bool inSaturated);

    int start() const { return mStart; }
    int peak() const { return mPeak; }
    int end() const { return mEnd; }
    double volume() const { return mVolume; }
    bool isNormalizationReference() const { return mNormalizationReference; }
    bool isSaturated() const { return mSaturated; }

    void setStart(int inStart) { mStart = inStart; }
    void setPeak(int inPeak) { mPeak = inPeak; }
    void setEnd(int inEnd) { mEnd = inEnd; }
    void setVolume(double inVolume) { mVolume = inVolume; }
    void setNormalizationReference(bool inReference) { mNormalizationReference = inReference; }
    void setSaturated(bool inSaturated) { mSaturated = inSaturated; }

    bool operator==(const KyBandInfo &other) const = default;

private:
    int mStart = 0;
    int mPeak = 0;
    int mEnd = 0;
    double mVolume = 0.0;
    bool mNormalizationReference = false;
    bool mSaturated = false;
};
