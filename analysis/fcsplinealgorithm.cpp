#include "analysis/fcsplinealgorithm.h"

#include "analysis/fcarrays.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>

namespace {

using fc::setError;

// The segment [i, i + 1] for x: the first knot at or after x, one back unless it is the first;
// beyond the last knot the last segment. Needs n >= 2.
int segmentOf(double x, const double *knots, int n)
{
    int i = static_cast<int>(std::lower_bound(knots, knots + n, x) - knots);
    if (i > 0)
        --i;
    return std::min(i, n - 2);
}

} // namespace

FCSplineAlgorithm::~FCSplineAlgorithm() = default;

void FCSplineAlgorithm::AkimaSlopes(const double *x, const double *y, double *slopes, int n,
                                    int *error)
{
    if (n < 6 || !x || !y || !slopes) {
        setError(error, n < 6 ? 1 : 3);
        return;
    }
    // Segment slopes sit at m[2] .. m[n]; two extrapolated ones on each side.
    auto buffer = fc::allocateDoubles(std::ptrdiff_t(n) + 3);
    if (!buffer) {
        setError(error, 3);
        return;
    }
    double *m = buffer.get();
    for (int k = 0; k <= n - 2; ++k) {
        const double dx = x[k + 1] - x[k];
        m[k + 2] = dx == 0.0 ? 0.0 : (y[k + 1] - y[k]) / dx;
    }
    const double left = m[3] - m[2];
    m[1] = m[2] - left;
    m[0] = m[2] - 2.0 * left;
    const double right = m[n] - m[n - 1];
    m[n + 1] = m[n] + right;
    m[n + 2] = m[n] + 2.0 * right;

    for (int i = 0; i < n; ++i) {
        const double m0 = m[i];
        const double m1 = m[i + 1];
        const double m2 = m[i + 2];
        const double m3 = m[i + 3];
        // When either neighbouring pair of secants agrees, the weights cannot pick a side: take the
        // mean of the two secants around the point.
        if (qFuzzyCompare(m3, m2) || qFuzzyCompare(m1, m0)) {
            slopes[i] = (m1 + m2) / 2.0;
        } else {
            const double w1 = std::fabs(m3 - m2);
            const double w2 = std::fabs(m1 - m0);
            slopes[i] = (w1 * m1 + w2 * m2) / (w1 + w2);
        }
    }
    setError(error, 0);
}

void FCSplineAlgorithm::NaturalSplineSecondDerivatives(const double *t, const double *y, double *c,
                                                       int n, int *error)
{
    if (n < 3 || !t || !y || !c) {
        setError(error, n < 3 ? 1 : 3);
        return;
    }
    auto diagonal = fc::allocateDoubles(n);
    auto rhs = fc::allocateDoubles(n);
    if (!diagonal || !rhs) {
        setError(error, 3);
        return;
    }
    const auto h = [&](int i) { return t[i + 1] - t[i]; };
    const auto s = [&](int i) { return (y[i + 1] - y[i]) / h(i); };

    // Tridiagonal system for c[1] .. c[n - 2], eliminated forwards without row exchanges.
    diagonal[1] = 2.0 * (h(0) + h(1));
    rhs[1] = s(1) - s(0);
    for (int i = 2; i <= n - 2; ++i) {
        const double w = h(i - 1) / diagonal[i - 1];
        diagonal[i] = 2.0 * (h(i - 1) + h(i)) - w * h(i - 1);
        rhs[i] = (s(i) - s(i - 1)) - w * rhs[i - 1];
    }
    c[0] = 0.0;
    c[n - 1] = 0.0;
    c[n - 2] = rhs[n - 2] / diagonal[n - 2];
    for (int i = n - 3; i >= 1; --i)
        c[i] = (rhs[i] - h(i) * c[i + 1]) / diagonal[i];
    setError(error, 0);
}

double FCSplineAlgorithm::NaturalSplineEvaluate(double x, const double *t, const double *y,
                                                const double *c, int n)
{
    if (n < 1 || !t || !y || !c)
        return 0.0;
    if (n == 1)
        return y[0];
    const int i = segmentOf(x, t, n);
    const double h = t[i + 1] - t[i];
    const double u = x - t[i];
    return y[i] + u * ((y[i + 1] - y[i]) / h - (2.0 * c[i] + c[i + 1]) * h) + 3.0 * c[i] * u * u
           + ((c[i + 1] - c[i]) / h) * u * u * u;
}

void FCSplineAlgorithm::ParametricSplineSetup(double *t, const double *x, const double *y,
                                              double *cx, double *cy, int n, int *error)
{
    if (n < 3 || !t || !x || !y || !cx || !cy) {
        setError(error, n < 3 ? 1 : 3);
        return;
    }
    t[0] = 0.0;
    for (int i = 1; i < n; ++i) {
        const double dx = x[i] - x[i - 1];
        const double dy = y[i] - y[i - 1];
        t[i] = t[i - 1] + std::sqrt(dx * dx + dy * dy);
    }
    const double length = t[n - 1];
    if (length > 0.0) {
        for (int i = 1; i < n; ++i)
            t[i] /= length;
    }
    int code = 0;
    NaturalSplineSecondDerivatives(t, x, cx, n, &code);
    if (code == 0)
        NaturalSplineSecondDerivatives(t, y, cy, n, &code);
    setError(error, code);
}

void FCSplineAlgorithm::ParametricSplineEvaluate(double s, double *px, double *py, const double *t,
                                                 const double *x, const double *y,
                                                 const double *cx, const double *cy, int n)
{
    if (px)
        *px = NaturalSplineEvaluate(s, t, x, cx, n);
    if (py)
        *py = NaturalSplineEvaluate(s, t, y, cy, n);
}

double FCSplineAlgorithm::HermiteEvaluate(double x, const double *xs, const double *ys,
                                          const double *slopes, int n)
{
    if (n < 1 || !xs || !ys || !slopes)
        return 0.0;
    if (n == 1)
        return ys[0] + slopes[0] * (x - xs[0]);
    const int i = segmentOf(x, xs, n);
    const double h = xs[i + 1] - xs[i];
    const double u = x - xs[i];
    const double t0 = slopes[i];
    if (h == 0.0)
        return ys[i] + t0 * u;
    const double t1 = slopes[i + 1];
    const double delta = ys[i + 1] - ys[i];
    return ys[i] + t0 * u + ((3.0 * delta / h - 2.0 * t0 - t1) / h) * u * u
           + ((t0 + t1 - 2.0 * delta / h) / (h * h)) * u * u * u;
}
