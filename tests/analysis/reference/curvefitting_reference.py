#!/usr/bin/python3
"""Independent reference results for the curve-fitting tests.

Reads a JSON request (argument 1) and prints a JSON answer:
  lsq:     polynomial least squares on the transformed points, solved exactly: the normal
           equations in rational arithmetic (fractions.Fraction), rounded to double only at the end;
           "singular" when they have no unique solution; also the exact fitted values at the points
  loglin:  the same exact fit of (x, log10 y), and 10 ** it at query positions
  akima:   slopes and values of scipy.interpolate.Akima1DInterpolator
  natural: scipy.interpolate.CubicSpline with natural ends
"""
import json
import math
import sys
from fractions import Fraction

import numpy as np
from scipy.interpolate import Akima1DInterpolator, CubicHermiteSpline, CubicSpline

# Akima1DInterpolator hands its slopes to CubicHermiteSpline and keeps only the polynomial
# pieces; catch the slopes on the way.
_captured = {}
_hermite_init = CubicHermiteSpline.__init__


def _capturing_init(self, x, y, dydx, *args, **kwargs):
    _captured["slopes"] = np.array(dydx, dtype=float).copy()
    _hermite_init(self, x, y, dydx, *args, **kwargs)


CubicHermiteSpline.__init__ = _capturing_init


def degree_of(model):
    return {0: 1, 1: 1, 2: 2, 3: 3, 4: 4, 5: 5, 6: 1, 7: 1, 8: 1, 9: 1}[model]


def transformed(model, x, y):
    # The logarithms are the C library's (math.log is libm's log), as in the program.
    x = [float(v) for v in x]
    y = [float(v) for v in y]
    if model == 6:
        return [math.log(v) for v in x], [math.log(v) for v in y]
    if model == 7:
        return [math.log10(v) for v in x], y
    if model == 8:
        return x, [math.log10(v) for v in y]
    if model == 9:
        return [math.log10(v) for v in x], [math.log10(v) for v in y]
    return x, y


def exact_polyfit(xs, ys, degree):
    """Least-squares polynomial of the given degree through the (double) points, exactly.

    Returns the rational coefficients, highest power first, or None when the normal equations
    are singular (fewer distinct positions than unknowns)."""
    m = degree + 1
    X = [Fraction(v) for v in xs]
    Y = [Fraction(v) for v in ys]
    powers = [[x ** k for k in range(2 * m - 1)] for x in X]
    a = [[sum(p[j + k] for p in powers) for k in range(m)] + [sum(p[j] * y for p, y in zip(powers, Y))]
         for j in range(m)]
    for col in range(m):
        pivot = next((r for r in range(col, m) if a[r][col] != 0), None)
        if pivot is None:
            return None
        a[col], a[pivot] = a[pivot], a[col]
        for r in range(m):
            if r != col and a[r][col] != 0:
                f = a[r][col] / a[col][col]
                a[r] = [u - f * v for u, v in zip(a[r], a[col])]
    c = [a[j][m] / a[j][j] for j in range(m)]  # lowest power first
    return c[::-1]


def polyval(p, x):
    value = Fraction(0)
    for c in p:
        value = value * x + c
    return value


def least_squares(case):
    model = case["type"]
    X, Y = transformed(model, case["x"], case["y"])
    if model == 0:
        fx, fy = X + [-v for v in X], Y + [-v for v in Y]
    else:
        fx, fy = X, Y
    p = exact_polyfit(fx, fy, degree_of(model))
    if p is None:
        return {"singular": True}
    fitted = [polyval(p, Fraction(v)) for v in X]
    n = len(X)
    if n == 1:
        r = 1.0
    else:
        mean = sum(Fraction(v) for v in Y) / n
        sstot = sum((Fraction(v) - mean) ** 2 for v in Y)
        ssres = sum((Fraction(v) - f) ** 2 for v, f in zip(Y, fitted))
        if sstot == 0:
            r = 0.0
        else:
            ratio = 1 - ssres / sstot
            r = math.sqrt(ratio) if ratio >= 0 else 0.0
    try:
        if model == 0:
            coeffs = [p[0]]
        elif model == 6:
            coeffs = [math.exp(p[1]), p[0]]
        elif model == 8:
            coeffs = [10.0 ** float(p[1]), p[0]]
        elif model in (7, 9):
            coeffs = [p[0], p[1]]
        else:
            coeffs = list(p)
        coeffs = [float(c) for c in coeffs]
    except OverflowError:
        coeffs = [math.inf]
    if not all(math.isfinite(c) for c in coeffs):
        # No curve a double can hold: the program refuses it like a singular set.
        return {"singular": True}
    return {"singular": False, "coefficients": coeffs, "R": float(r),
            "fitted": [float(f) for f in fitted]}


def log_linear(case):
    keep = [(float(x), math.log10(float(y))) for x, y in zip(case["x"], case["y"]) if y > 0]
    degree = 1 if case["type"] == 11 else 3
    p = exact_polyfit([x for x, _ in keep], [y for _, y in keep], degree)
    return {"coefficients": [float(c) for c in p],
            "values": [power_of_ten(polyval(p, Fraction(q))) for q in case["query"]]}


def power_of_ten(exponent):
    try:
        return 10.0 ** float(exponent)
    except OverflowError:
        return math.inf


def akima(case):
    x = np.asarray(case["x"], dtype=float)
    y = np.asarray(case["y"], dtype=float)
    _captured.clear()
    spline = Akima1DInterpolator(x, y)
    q = np.asarray(case["query"], dtype=float)
    return {"slopes": [float(v) for v in _captured["slopes"]],
            "values": [float(v) for v in spline(q)]}


def natural(case):
    t = np.asarray(case["x"], dtype=float)
    y = np.asarray(case["y"], dtype=float)
    spline = CubicSpline(t, y, bc_type="natural", extrapolate=True)
    q = np.asarray(case["query"], dtype=float)
    return {"sixths": [float(v) / 6.0 for v in spline(t, 2)],
            "values": [float(v) for v in spline(q)]}


def main():
    with open(sys.argv[1]) as f:
        request = json.load(f)
    answer = {
        "lsq": [least_squares(c) for c in request.get("lsq", [])],
        "loglin": [log_linear(c) for c in request.get("loglin", [])],
        "akima": [akima(c) for c in request.get("akima", [])],
        "natural": [natural(c) for c in request.get("natural", [])],
    }
    json.dump(answer, sys.stdout)


if __name__ == "__main__":
    main()
