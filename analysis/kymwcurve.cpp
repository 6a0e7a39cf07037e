#include "analysis/kymwcurve.h"

#include "analysis/fccurvefitting.h"
#include "analysis/fccurvefittingfactory.h"

KyMwCurve::KyMwCurve() = default;

KyMwCurve::~KyMwCurve() = default;

void KyMwCurve::setPoints(const QMap<double, double> &inPoints)
{
    mPoints = inPoints;
    rebuild();
}

void KyMwCurve::setMode(int inMode)
{
    if (inMode == mMode)
        return;
    mMode = inMode;
    rebuild();
}

void KyMwCurve::clear()
{
    // A curve without its points must not go on giving weights.
    mPoints.clear();
    mFitter.reset();
}

int KyMwCurve::minimumPoints(int inMode)
{
    // As many as the curve in log10 of the weight has coefficients: a line 2, a cubic 4.
    return inMode == 0 ? 2 : inMode == 1 ? 4 : 0;
}

double KyMwCurve::value(double inX) const
{
    return mFitter ? mFitter->Evaluate(inX) : 0.0;
}

void KyMwCurve::rebuild()
{
    mFitter.reset();
    int type = -1;
    if (mMode == 0)
        type = 11;
    else if (mMode == 1)
        type = 12;
    if (type < 0)
        return;
    mFitter.reset(FCCurveFittingFactory().Create(type, mPoints, nullptr));
}
