#include "analysis/fcapproximatealgorithm.h"

#include "analysis/fcarrays.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <memory>
#include <new>
#include <numeric>
#include <utility>

namespace {

constexpr int kMaxUnknowns = 6;

using fc::setError;

bool transformsX(int type)
{
    return type == 6 || type == 7 || type == 9;
}

bool transformsY(int type)
{
    return type == 6 || type == 8 || type == 9;
}

// Below this ratio of the smallest to the largest diagonal element of the pivoted triangle (over
// columns scaled to unit length) the points do not settle the curve to the digits a caller is
// given, and the fit is refused rather than returned with arbitrary coefficients. Exactly
// singular sets (repeated positions, fewer distinct positions than unknowns) land far below it;
// only quartics and quintics whose positions crowd into a small part of their range come near
// it. Over many thousands of such sets the accepted ones kept the coefficients to 1e-11 of the
// exact least-squares answer.
constexpr long double kRankTolerance = 1e-7L;

// Least squares min |V b - rhs| for a count x m matrix V (row-major, count >= m), by Householder
// QR with column pivoting on unit-length columns. V and rhs are overwritten. False when the
// columns are (numerically) dependent.
bool solveLeastSquares(long double *V, long double *rhs, int count, int m, long double *outB)
{
    const auto at = [V, m](int i, int j) -> long double & { return V[static_cast<std::size_t>(i) * m + j]; };

    long double scale[kMaxUnknowns] = {};
    for (int j = 0; j < m; ++j) {
        long double norm = 0;
        for (int i = 0; i < count; ++i)
            norm += at(i, j) * at(i, j);
        norm = std::sqrt(norm);
        if (!(norm > 0) || !std::isfinite(norm))
            return false;
        scale[j] = norm;
        for (int i = 0; i < count; ++i)
            at(i, j) /= norm;
    }

    int order[kMaxUnknowns];
    std::iota(order, order + m, 0);
    long double diagonal[kMaxUnknowns] = {};
    for (int k = 0; k < m; ++k) {
        // The remaining column with the largest norm below row k comes next.
        int best = k;
        long double bestNorm = -1;
        for (int j = k; j < m; ++j) {
            long double norm = 0;
            for (int i = k; i < count; ++i)
                norm += at(i, j) * at(i, j);
            if (norm > bestNorm) {
                bestNorm = norm;
                best = j;
            }
        }
        if (best != k) {
            std::swap(order[k], order[best]);
            for (int i = 0; i < count; ++i)
                std::swap(at(i, k), at(i, best));
        }
        const long double norm = std::sqrt(bestNorm);
        if (!(norm > (k == 0 ? 0 : kRankTolerance * std::fabs(diagonal[0]))))
            return false;
        // Reflect column k onto -sign(v0) |v| e_k.
        const long double alpha = at(k, k) > 0 ? -norm : norm;
        at(k, k) -= alpha;
        long double vv = 0;
        for (int i = k; i < count; ++i)
            vv += at(i, k) * at(i, k);
        for (int j = k + 1; j < m; ++j) {
            long double dot = 0;
            for (int i = k; i < count; ++i)
                dot += at(i, k) * at(i, j);
            const long double f = 2 * dot / vv;
            for (int i = k; i < count; ++i)
                at(i, j) -= f * at(i, k);
        }
        long double dot = 0;
        for (int i = k; i < count; ++i)
            dot += at(i, k) * rhs[i];
        const long double f = 2 * dot / vv;
        for (int i = k; i < count; ++i)
            rhs[i] -= f * at(i, k);
        diagonal[k] = alpha;
    }

    long double solution[kMaxUnknowns] = {};
    for (int k = m - 1; k >= 0; --k) {
        long double sum = rhs[k];
        for (int j = k + 1; j < m; ++j)
            sum -= at(k, j) * solution[j];
        solution[k] = sum / diagonal[k];
    }
    for (int k = 0; k < m; ++k)
        outB[order[k]] = solution[k] / scale[order[k]];
    for (int j = 0; j < m; ++j) {
        if (!std::isfinite(outB[j]))
            return false;
    }
    return true;
}

} // namespace

FCApproximateAlgorithm::~FCApproximateAlgorithm() = default;

int FCApproximateAlgorithm::UnknownCount(int type)
{
    switch (type) {
    case 0:
    case 1:
    case 6:
    case 7:
    case 8:
    case 9:
        return 2;
    case 2:
    case 3:
    case 4:
    case 5:
        return type + 1;
    default:
        return 0;
    }
}

void FCApproximateAlgorithm::Fit(int n, const double *x, const double *y, unsigned short type,
                                 double coefficients[6], double *R, int *error)
{
    const int m = UnknownCount(type);
    if (m == 0) {
        setError(error, 3);
        return;
    }
    if (n < 0)
        n = 0;
    if (n > 0 && (!x || !y)) {
        setError(error, 3);
        return;
    }
    if (type == 0 && n > std::numeric_limits<int>::max() / 2) {
        setError(error, 3);
        return;
    }

    // A line through the origin is fitted as a line through the points and their mirror images,
    // which forces the intercept to vanish.
    const int count = type == 0 ? 2 * n : n;
    if (count < m) {
        setError(error, 1);
        return;
    }

    auto X = fc::allocateDoubles(count);
    auto Y = fc::allocateDoubles(count);
    if (!X || !Y) {
        setError(error, 3);
        return;
    }
    for (int i = 0; i < n; ++i) {
        double xi = x[i];
        double yi = y[i];
        if ((transformsX(type) && xi <= 0.0) || (transformsY(type) && yi <= 0.0)) {
            setError(error, 2);
            return;
        }
        if (type == 6) {
            xi = std::log(xi);
            yi = std::log(yi);
        } else {
            if (transformsX(type))
                xi = std::log10(xi);
            if (transformsY(type))
                yi = std::log10(yi);
        }
        X[i] = xi;
        Y[i] = yi;
        if (type == 0) {
            X[n + i] = -xi;
            Y[n + i] = -yi;
        }
    }

    // Y = c0 + c1 X + ... + c(m-1) X^(m-1). The normal equations in X itself square a condition
    // number that positions in the thousands already make huge (a quintic over 0..2500 lost all of
    // its digits), so the fit is solved in t = (X - centre) / halfSpan, whose powers stay within
    // [-1, 1], by Householder QR with column pivoting in extended precision, and only then turned
    // back into coefficients of X.
    double lowest = X[0];
    double highest = X[0];
    for (int i = 1; i < count; ++i) {
        lowest = std::min(lowest, X[i]);
        highest = std::max(highest, X[i]);
    }
    const long double centre = (static_cast<long double>(lowest) + highest) / 2;
    long double halfSpan = (static_cast<long double>(highest) - lowest) / 2;
    if (!(halfSpan > 0))
        halfSpan = 1; // a single position: the rank test below refuses it for m > 1
    std::unique_ptr<long double[]> V(new (std::nothrow) long double[static_cast<std::size_t>(count) * m]);
    std::unique_ptr<long double[]> rhs(new (std::nothrow) long double[static_cast<std::size_t>(count)]);
    if (!V || !rhs) {
        setError(error, 3);
        return;
    }
    for (int i = 0; i < count; ++i) {
        const long double t = (X[i] - centre) / halfSpan;
        long double power = 1;
        for (int j = 0; j < m; ++j) {
            V[static_cast<std::size_t>(i) * m + j] = power;
            power *= t;
        }
        rhs[i] = Y[i];
    }
    long double b[kMaxUnknowns] = {};
    if (!solveLeastSquares(V.get(), rhs.get(), count, m, b)) {
        setError(error, 3);
        return;
    }

    // Back to powers of X: t^j = sum_k C(j, k) X^k (-centre)^(j - k) / halfSpan^j.
    long double cl[kMaxUnknowns] = {};
    for (int j = 0; j < m; ++j) {
        const long double scaled = b[j] / std::pow(halfSpan, static_cast<long double>(j));
        long double binomial = 1;
        long double shift = 1;
        for (int k = j; k >= 0; --k) {
            cl[k] += scaled * binomial * shift;
            binomial = binomial * k / (j - k + 1);
            shift *= -centre;
        }
    }
    double cs[kMaxUnknowns] = {};
    for (int j = 0; j < m; ++j) {
        cs[j] = static_cast<double>(cl[j]);
        if (!std::isfinite(cs[j])) {
            setError(error, 3);
            return;
        }
    }

    // Correlation over the given points in the transformed coordinates, with the fitted values
    // taken from the well-conditioned form.
    long double sumY = 0;
    for (int i = 0; i < n; ++i)
        sumY += Y[i];
    const long double mean = sumY / n;
    long double ssTotL = 0;
    long double ssResL = 0;
    for (int i = 0; i < n; ++i) {
        const long double t = (X[i] - centre) / halfSpan;
        long double fitted = b[m - 1];
        for (int j = m - 2; j >= 0; --j)
            fitted = fitted * t + b[j];
        ssTotL += (Y[i] - mean) * (Y[i] - mean);
        ssResL += (Y[i] - fitted) * (Y[i] - fitted);
    }
    // In extended precision too: a weak correlation leaves 1 - ssRes / ssTot as a small
    // difference of numbers near 1.
    double r = 0.0;
    if (n == 1) {
        r = 1.0;
    } else if (ssTotL != 0) {
        const long double ratio = 1 - ssResL / ssTotL;
        r = ratio >= 0 ? static_cast<double>(std::sqrt(ratio)) : 0.0;
    }

    double out[kMaxUnknowns] = {};
    switch (type) {
    case 0:
        out[0] = cs[1];
        break;
    case 6:
        out[0] = std::exp(cs[0]);
        out[1] = cs[1];
        break;
    case 8:
        out[0] = std::pow(10.0, cs[0]);
        out[1] = cs[1];
        break;
    case 7:
    case 9:
        out[0] = cs[1];
        out[1] = cs[0];
        break;
    default:
        for (int k = 0; k < m; ++k)
            out[k] = cs[m - 1 - k];
        break;
    }
    for (double v : out) {
        if (!std::isfinite(v)) {
            setError(error, 3);
            return;
        }
    }

    if (coefficients) {
        for (int k = 0; k < kMaxUnknowns; ++k)
            coefficients[k] = out[k];
    }
    if (R)
        *R = r;
    setError(error, 0);
}
