#include "analysis/kybandinfo.h"

KyBandInfo::KyBandInfo(int inStart, int inPeak, int inEnd, bool inNormalizationReference, double inVolume,
                       bool inSaturated)
    : mStart(inStart), mPeak(inPeak), mEnd(inEnd), mVolume(inVolume),
      mNormalizationReference(inNormalizationReference), mSaturated(inSaturated)
{
}
