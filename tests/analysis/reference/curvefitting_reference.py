#!/usr/bin/python3
"""Independent reference results for the curve-fitting tests.

Reads a JSON request (argument 1) and prints a JSON answer:
  lsq:     polynomial least squares by numpy.polyfit on the transformed points, with the
           condition number of the column-scaled Vandermonde matrix of those points
  loglin:  10 ** numpy.polyfit of (x, log10 y) evaluated at query positions (and the same
           condition number)
  akima:   slopes and values of scipy.interpolate.Akima1DInterpolator
  natural: scipy.interpolate.CubicSpline with natural ends
"""
import json
import sys

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
    x = np.asarray(x, dtype=float)
    y = np.asarray(y, dtype=float)
    if model == 6:
        return np.log(x), np.log(y)
    if model == 7:
        return np.log10(x), y
    if model == 8:
        return x, np.log10(y)
    if model == 9:
        return np.log10(x), np.log10(y)
    return x, y


def scaled_condition(x, degree):
    """Condition number of the column-scaled Vandermonde matrix of the fitted points."""
    v = np.vander(np.asarray(x, dtype=float), degree + 1)
    v = v / np.sqrt((v * v).sum(axis=0))
    return float(np.linalg.cond(v))


def least_squares(case):
    model = case["type"]
    X, Y = transformed(model, case["x"], case["y"])
    if model == 0:
        fx, fy = np.concatenate([X, -X]), np.concatenate([Y, -Y])
    else:
        fx, fy = X, Y
    p = np.polyfit(fx, fy, degree_of(model))  # highest power first
    fitted = np.polyval(p, X)
    n = len(X)
    if n == 1:
        r = 1.0
    else:
        mean = np.sum(Y) / n
        sstot = float(np.sum((Y - mean) ** 2))
        ssres = float(np.sum((Y - fitted) ** 2))
        if sstot == 0.0:
            r = 0.0
        else:
            ratio = 1.0 - ssres / sstot
            r = float(np.sqrt(ratio)) if ratio >= 0.0 else 0.0
    if model == 0:
        coeffs = [p[0]]
    elif model == 6:
        coeffs = [np.exp(p[1]), p[0]]
    elif model == 8:
        coeffs = [10.0 ** p[1], p[0]]
    elif model in (7, 9):
        coeffs = [p[0], p[1]]
    else:
        coeffs = list(p)
    return {"coefficients": [float(c) for c in coeffs], "R": r,
            "kappa": scaled_condition(fx, degree_of(model))}


def log_linear(case):
    x = np.asarray(case["x"], dtype=float)
    y = np.asarray(case["y"], dtype=float)
    keep = y > 0
    degree = 1 if case["type"] == 11 else 3
    p = np.polyfit(x[keep], np.log10(y[keep]), degree)
    q = np.asarray(case["query"], dtype=float)
    return {"coefficients": [float(c) for c in p],
            "kappa": scaled_condition(x[keep], degree),
            "values": [float(v) for v in 10.0 ** np.polyval(p, q)]}


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
