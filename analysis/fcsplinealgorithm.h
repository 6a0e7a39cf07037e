#pragma once

// Spline building blocks: Akima slopes (the spline of curve type 10), the natural cubic spline and
// its chord-length parametric form, and cubic Hermite evaluation. Knot arrays are ascending in x.
class FCSplineAlgorithm
{
public:
    virtual ~FCSplineAlgorithm();

    // One slope per point by Akima's rule, with two extrapolated segment slopes at each end. Needs
    // at least six points (error 1); error 3 when memory runs out, else 0. error may be null.
    static void AkimaSlopes(const double *x, const double *y, double *slopes, int n, int *error);

    // c[i] = one sixth of the second derivative at t[i] of the natural cubic spline through
    // (t, y). Needs at least three points (error 1); error 3 when memory runs out, else 0.
    static void NaturalSplineSecondDerivatives(const double *t, const double *y, double *c, int n,
                                               int *error);
    // The natural spline at x; outside the knots the end cubic continues.
    static double NaturalSplineEvaluate(double x, const double *t, const double *y, const double *c,
                                        int n);

    // Chord-length parameters t (0 to 1) of the points (x, y) and the natural-spline terms of x and
    // y over t. Errors as NaturalSplineSecondDerivatives.
    static void ParametricSplineSetup(double *t, const double *x, const double *y, double *cx,
                                      double *cy, int n, int *error);
    // The point of the parametric spline at parameter s.
    static void ParametricSplineEvaluate(double s, double *px, double *py, const double *t,
                                         const double *x, const double *y, const double *cx,
                                         const double *cy, int n);

    // The cubic Hermite curve through (xs, ys) with the given slopes; outside the knots the end
    // cubic continues.
    static double HermiteEvaluate(double x, const double *xs, const double *ys, const double *slopes,
                                  int n);
};
