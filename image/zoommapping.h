#pragma once

#include <cmath>

// Where output pixel i of an output of outSize pixels lies in the source, when the output shows the
// source span [origin, origin + span): the output centre falls on the span's centre and one output
// pixel covers span / outSize source pixels. Both zoom functors and every reference use this one
// order of operations, so that their samples agree to the last bit.
inline double zoomSourceCoordinate(int inIndex, int inOutSize, double inOrigin, double inSpan)
{
    return (inIndex - (inOutSize - 1) / 2.0) * inSpan / inOutSize + inOrigin + (inSpan - 1) / 2.0;
}

// Whether a source position lies on its truncated pixel index, within a relative 1e-12: a bilinear
// sample there takes that pixel (row or column) alone. The image record's sample and the bilinear
// zoom share this test so that their results agree.
inline bool isIntegralPosition(double inValue, int inTruncated)
{
    return inValue == inTruncated || std::fabs(inValue - inTruncated) <= 1e-12 * std::fabs(inValue);
}
