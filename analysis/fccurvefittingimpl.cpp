#include "analysis/fccurvefittingimpl.h"

#include "analysis/fcarrays.h"
#include "analysis/fcsplinealgorithm.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

FCCurveFittingImpl::FCCurveFittingImpl() = default;

FCCurveFittingImpl::~FCCurveFittingImpl() = default;

void FCCurveFittingImpl::SetCoefficientA(double inValue)
{
    a = inValue;
    hasA = true;
}

void FCCurveFittingImpl::SetCoefficientB(double inValue)
{
    b = inValue;
    hasB = true;
}

void FCCurveFittingImpl::SetCoefficientC(double inValue)
{
    c = inValue;
    hasC = true;
}

void FCCurveFittingImpl::SetCoefficientD(double inValue)
{
    d = inValue;
    hasD = true;
}

void FCCurveFittingImpl::SetCoefficientE(double inValue)
{
    e = inValue;
    hasE = true;
}

void FCCurveFittingImpl::SetCoefficientF(double inValue)
{
    f = inValue;
    hasF = true;
}

void FCCurveFittingImpl::SetR(double inValue)
{
    R = inValue;
    hasR = true;
}

void FCCurveFittingImpl::SetType(int inType)
{
    type = inType;
}

void FCCurveFittingImpl::Reset()
{
    a = b = c = d = e = f = 0.0;
    hasA = hasB = hasC = hasD = hasE = hasF = false;
    R = 0.0;
    hasR = false;
    ReleaseKnots();
}

void FCCurveFittingImpl::ReleaseKnots()
{
    knotX.reset();
    knotY.reset();
    knotSlope.reset();
    knotCount = 0;
}

bool FCCurveFittingImpl::SetKnots(const double *inX, const double *inY, const double *inSlopes,
                                  int inCount)
{
    ReleaseKnots();
    if (inCount <= 0 || !inX || !inY || !inSlopes)
        return inCount <= 0;
    auto xs = fc::allocateDoubles(inCount);
    auto ys = fc::allocateDoubles(inCount);
    auto ts = fc::allocateDoubles(inCount);
    if (!xs || !ys || !ts)
        return false;
    const std::size_t bytes = sizeof(double) * static_cast<std::size_t>(inCount);
    std::memcpy(xs.get(), inX, bytes);
    std::memcpy(ys.get(), inY, bytes);
    std::memcpy(ts.get(), inSlopes, bytes);
    knotX = std::move(xs);
    knotY = std::move(ys);
    knotSlope = std::move(ts);
    knotCount = inCount;
    return true;
}

bool FCCurveFittingImpl::AllocateKnots(int inCount)
{
    Reset();
    if (inCount < 0 || inCount == std::numeric_limits<int>::max())
        return false;
    auto xs = fc::allocateDoubles(std::ptrdiff_t(inCount) + 1);
    auto ys = fc::allocateDoubles(std::ptrdiff_t(inCount) + 1);
    if (!xs || !ys)
        return false;
    knotX = std::move(xs);
    knotY = std::move(ys);
    knotCount = inCount;
    return true;
}

void FCCurveFittingImpl::SetKnot(int inIndex, double inX, double inY)
{
    // AllocateKnots lays out knotCount + 1 entries; SetKnots only knotCount.
    const int entries = knotSlope ? knotCount : knotCount + 1;
    if (!knotX || inIndex < 0 || inIndex >= entries)
        return;
    knotX[inIndex] = inX;
    knotY[inIndex] = inY;
}

void FCCurveFittingImpl::FindKnotInterval(double inX, int *outLo, int *outHi) const
{
    const int n = knotCount;
    int lo = 0;
    int hi = n > 0 ? 1 : 0;
    if (knotX && n > 0) {
        if (inX < knotX[0]) {
            lo = 0;
            hi = 1;
        } else if (inX > knotX[n]) {
            lo = n - 1;
            hi = n;
        } else {
            // Guess from evenly spaced knots, then walk to the interval that holds x.
            const double step = (knotX[n] - knotX[0]) / n;
            const double guess = (inX - knotX[0]) / step;
            int k = 0;
            if (std::isfinite(guess) && guess > 0.0)
                k = guess >= n ? n : static_cast<int>(guess);
            lo = k;
            if (knotX[k] <= inX) {
                for (int j = k + 1; j <= n; ++j) {
                    if (knotX[j] > inX) {
                        lo = j - 1;
                        break;
                    }
                }
            } else {
                for (int j = k; j >= 0; --j) {
                    if (knotX[j] < inX) {
                        lo = j;
                        break;
                    }
                }
            }
            lo = std::min(lo, n - 1);
            hi = lo + 1;
        }
    }
    if (outLo)
        *outLo = lo;
    if (outHi)
        *outHi = hi;
}

double FCCurveFittingImpl::Evaluate(double inX) const
{
    const double x = inX;
    switch (type) {
    case 0:
        return a * x;
    case 1:
        return a * x + b;
    case 2:
        return (a * x + b) * x + c;
    case 3:
        return ((a * x + b) * x + c) * x + d;
    case 4:
        return (((a * x + b) * x + c) * x + d) * x + e;
    case 5:
        return ((((a * x + b) * x + c) * x + d) * x + e) * x + f;
    case 6:
        return a * std::pow(x, b);
    case 7:
        return a * std::log10(x) + b;
    case 8:
        return a * std::pow(10.0, b * x);
    case 9:
        return std::pow(10.0, a * std::log10(x) + b);
    case 10:
        return EvaluateSpline(x);
    default:
        return 0.0;
    }
}

double FCCurveFittingImpl::EvaluateSpline(double inX) const
{
    // A curve with knots but no slopes (a sampled parametric curve) has nothing to evaluate.
    if (!knotX || !knotSlope || knotCount < 2)
        return 0.0;
    const double *xs = knotX.get();
    const double *ys = knotY.get();
    const int n = knotCount;

    // Outside the knots the curve continues as the chord of the two end knots.
    if (inX < xs[0])
        return ys[0] + (ys[1] - ys[0]) / (xs[1] - xs[0]) * (inX - xs[0]);
    if (inX > xs[n - 1])
        return ys[n - 1] + (ys[n - 1] - ys[n - 2]) / (xs[n - 1] - xs[n - 2]) * (inX - xs[n - 1]);

    return FCSplineAlgorithm::HermiteEvaluate(inX, xs, ys, knotSlope.get(), n);
}
