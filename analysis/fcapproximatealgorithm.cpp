#include "analysis/fcapproximatealgorithm.h"

#include "analysis/fcarrays.h"

#include <cmath>
#include <limits>

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

    // Normal equations of Y = c0 + c1 X + ... + c(m-1) X^(m-1).
    double A[kMaxUnknowns][kMaxUnknowns + 1] = {};
    for (int i = 0; i < count; ++i) {
        double powers[2 * kMaxUnknowns - 1];
        powers[0] = 1.0;
        for (int k = 1; k < 2 * m - 1; ++k)
            powers[k] = powers[k - 1] * X[i];
        for (int j = 0; j < m; ++j) {
            for (int k = 0; k < m; ++k)
                A[j][k] += powers[j + k];
            A[j][m] += powers[j] * Y[i];
        }
    }

    // Gauss-Jordan elimination in row order. A zero pivot means the points do not determine the
    // curve (too few distinct positions); that is a failure, not a curve of NaNs.
    for (int i = 0; i < m; ++i) {
        const double pivot = A[i][i];
        if (pivot == 0.0) {
            setError(error, 3);
            return;
        }
        for (int k = i; k <= m; ++k)
            A[i][k] /= pivot;
        for (int r = 0; r < m; ++r) {
            if (r == i)
                continue;
            const double factor = A[r][i];
            for (int k = i; k <= m; ++k)
                A[r][k] -= factor * A[i][k];
        }
    }
    double cs[kMaxUnknowns] = {};
    for (int j = 0; j < m; ++j) {
        cs[j] = A[j][m];
        if (!std::isfinite(cs[j])) {
            setError(error, 3);
            return;
        }
    }

    // Correlation over the given points in the transformed coordinates.
    double sumY = 0.0;
    for (int i = 0; i < n; ++i)
        sumY += Y[i];
    const double mean = sumY / n;
    double ssTot = 0.0;
    double ssRes = 0.0;
    for (int i = 0; i < n; ++i) {
        double fitted = cs[m - 1];
        for (int j = m - 2; j >= 0; --j)
            fitted = fitted * X[i] + cs[j];
        ssTot += (Y[i] - mean) * (Y[i] - mean);
        ssRes += (Y[i] - fitted) * (Y[i] - fitted);
    }
    double r = 0.0;
    if (n == 1) {
        r = 1.0;
    } else if (ssTot != 0.0) {
        const double ratio = 1.0 - ssRes / ssTot;
        r = ratio >= 0.0 ? std::sqrt(ratio) : 0.0;
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
