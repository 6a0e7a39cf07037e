#pragma once

#include "analysis/fcapproximatealgorithm.h"
#include "analysis/fcsplinealgorithm.h"

#include <QMap>

class FCCurveFitting;

// Builds fitted curves through points (x ascending, one y per x). Types:
//   0 y = a x                        1 y = a x + b
//   2..5 polynomials of degree 2..5, a the highest coefficient
//   6 y = a x^b                      7 y = a log10 x + b
//   8 y = a 10^(b x)                 9 y = 10^(a log10 x + b)
//   10 Akima spline through the points (no coefficients, no R)
//   11 y = 10^(a x + b) and 12 y = 10^(cubic in x), fitted to (x, log10 y); points whose y is not
//      positive are left out of these two.
// Errors: 0 success, 1 too few points, 2 a value a logarithm cannot take, 3 an unknown type, no
// memory, or points that do not determine the curve.
class FCCurveFittingFactory : public FCSplineAlgorithm, public FCApproximateAlgorithm
{
public:
    FCCurveFittingFactory();
    ~FCCurveFittingFactory() override;

    // A new curve owned by the caller, or null with the reason in error (which may be null).
    FCCurveFitting *Create(int inType, const QMap<double, double> &inPoints, int *outError = nullptr);

    // The smooth parametric curve is switched off: this gives the Akima spline of Create(10, ...).
    FCCurveFitting *CreateParametricSpline(const QMap<double, double> &inPoints,
                                           int *outError = nullptr);

protected:
    FCCurveFitting *CreateLeastSquares(int inType, const QMap<double, double> &inPoints,
                                       int *outError);
    FCCurveFitting *CreateLogLinear(int inType, const QMap<double, double> &inPoints, int *outError);
    FCCurveFitting *CreateAkimaSpline(const QMap<double, double> &inPoints, int *outError);
    // The switched-off alternative: a chord-length natural spline through the points, sampled at 31
    // evenly spaced parameters into knots without slopes (so it evaluates to 0 everywhere).
    FCCurveFitting *CreateSampledParametricSpline(const QMap<double, double> &inPoints,
                                                  int *outError);
};
