#include "analysis/fccurvefittingfactory.h"

#include "analysis/fcarrays.h"
#include "analysis/fccurvefittingimpl.h"
#include "analysis/fccurvefittingloglinear.h"

#include <cmath>
#include <limits>
#include <memory>
#include <new>

namespace {

// The parametric curve has been replaced by the Akima spline; its construction stays available
// behind this switch.
constexpr bool kParametricSplineEnabled = false;

constexpr int kParametricSamples = 30;

using fc::setError;

// No curve, for the reason code.
FCCurveFitting *fail(int *error, int code)
{
    setError(error, code);
    return nullptr;
}

struct PointArrays
{
    std::unique_ptr<double[]> x;
    std::unique_ptr<double[]> y;
    int count = 0;
};

// The points in ascending x; false when memory runs out or there are more than an int counts.
bool copyPoints(const QMap<double, double> &points, PointArrays *out)
{
    if (points.size() > std::numeric_limits<int>::max())
        return false;
    out->count = static_cast<int>(points.size());
    out->x = fc::allocateDoubles(out->count);
    out->y = fc::allocateDoubles(out->count);
    if (!out->x || !out->y)
        return false;
    int i = 0;
    for (auto it = points.constBegin(); it != points.constEnd(); ++it, ++i) {
        out->x[i] = it.key();
        out->y[i] = it.value();
    }
    return true;
}

} // namespace

FCCurveFittingFactory::FCCurveFittingFactory() = default;

FCCurveFittingFactory::~FCCurveFittingFactory() = default;

FCCurveFitting *FCCurveFittingFactory::Create(int inType, const QMap<double, double> &inPoints,
                                              int *outError)
{
    if (inType < 0 || inType > 12)
        return fail(outError, 3);
    if (inType == 10)
        return CreateAkimaSpline(inPoints, outError);
    if (inType == 11 || inType == 12)
        return CreateLogLinear(inType, inPoints, outError);
    return CreateLeastSquares(inType, inPoints, outError);
}

FCCurveFitting *FCCurveFittingFactory::CreateLeastSquares(int inType,
                                                          const QMap<double, double> &inPoints,
                                                          int *outError)
{
    if (inPoints.isEmpty())
        return fail(outError, 1);
    PointArrays points;
    if (!copyPoints(inPoints, &points))
        return fail(outError, 3);
    double coefficients[6] = {};
    double r = 0.0;
    int error = 3;
    Fit(points.count, points.x.get(), points.y.get(), static_cast<unsigned short>(inType),
        coefficients, &r, &error);
    if (error != 0)
        return fail(outError, error);

    auto *curve = new (std::nothrow) FCCurveFittingImpl;
    if (!curve)
        return fail(outError, 3);
    const int m = UnknownCount(inType);
    curve->SetType(inType);
    if (m > 0)
        curve->SetCoefficientA(coefficients[0]);
    if (m >= 2 && inType != 0)
        curve->SetCoefficientB(coefficients[1]);
    if (m >= 3)
        curve->SetCoefficientC(coefficients[2]);
    if (m >= 4)
        curve->SetCoefficientD(coefficients[3]);
    if (m >= 5)
        curve->SetCoefficientE(coefficients[4]);
    if (m >= 6)
        curve->SetCoefficientF(coefficients[5]);
    curve->SetR(r);
    setError(outError, 0);
    return curve;
}

FCCurveFitting *FCCurveFittingFactory::CreateLogLinear(int inType,
                                                       const QMap<double, double> &inPoints,
                                                       int *outError)
{
    // A weight of 0 or less has no logarithm: such a point (an unreadable ladder value) is left out
    // rather than pulled down to an arbitrary tiny value that would wreck the fit.
    QMap<double, double> logPoints;
    for (auto it = inPoints.constBegin(); it != inPoints.constEnd(); ++it) {
        if (it.value() > 0.0)
            logPoints.insert(it.key(), std::log10(it.value()));
    }
    int error = 3;
    FCCurveFitting *inner = CreateLeastSquares(inType == 11 ? 1 : 3, logPoints, &error);
    if (!inner)
        return fail(outError, error);
    auto *curve = new (std::nothrow) FCCurveFittingLogLinear(inner);
    if (!curve) {
        delete inner;
        return fail(outError, 3);
    }
    setError(outError, 0);
    return curve;
}

FCCurveFitting *FCCurveFittingFactory::CreateAkimaSpline(const QMap<double, double> &inPoints,
                                                         int *outError)
{
    if (inPoints.size() < 2)
        return fail(outError, 1);
    PointArrays points;
    if (!copyPoints(inPoints, &points))
        return fail(outError, 3);
    auto slopes = fc::allocateDoubles(points.count);
    if (!slopes)
        return fail(outError, 3);
    int error = 3;
    AkimaSlopes(points.x.get(), points.y.get(), slopes.get(), points.count, &error);
    if (error != 0)
        return fail(outError, error);
    auto *curve = new (std::nothrow) FCCurveFittingImpl;
    if (!curve)
        return fail(outError, 3);
    curve->SetType(10);
    if (!curve->SetKnots(points.x.get(), points.y.get(), slopes.get(), points.count)) {
        delete curve;
        return fail(outError, 3);
    }
    setError(outError, 0);
    return curve;
}

FCCurveFitting *FCCurveFittingFactory::CreateParametricSpline(const QMap<double, double> &inPoints,
                                                              int *outError)
{
    if (!kParametricSplineEnabled)
        return CreateAkimaSpline(inPoints, outError);
    return CreateSampledParametricSpline(inPoints, outError);
}

FCCurveFitting *FCCurveFittingFactory::CreateSampledParametricSpline(
    const QMap<double, double> &inPoints, int *outError)
{
    if (inPoints.size() < 2)
        return fail(outError, 1);
    PointArrays points;
    if (!copyPoints(inPoints, &points))
        return fail(outError, 3);
    const int n = points.count;
    auto t = fc::allocateDoubles(n);
    auto cx = fc::allocateDoubles(n);
    auto cy = fc::allocateDoubles(n);
    if (!t || !cx || !cy)
        return fail(outError, 3);
    int error = 3;
    ParametricSplineSetup(t.get(), points.x.get(), points.y.get(), cx.get(), cy.get(), n, &error);
    if (error != 0)
        return fail(outError, error);
    auto *curve = new (std::nothrow) FCCurveFittingImpl;
    if (!curve)
        return fail(outError, 3);
    curve->SetType(10);
    if (!curve->AllocateKnots(kParametricSamples)) {
        delete curve;
        return fail(outError, 3);
    }
    for (int i = 0; i <= kParametricSamples; ++i) {
        const double s = (1.0 / kParametricSamples) * i;
        double px = 0.0;
        double py = 0.0;
        ParametricSplineEvaluate(s, &px, &py, t.get(), points.x.get(), points.y.get(), cx.get(),
                                 cy.get(), n);
        curve->SetKnot(i, px, py);
    }
    setError(outError, 0);
    return curve;
}
