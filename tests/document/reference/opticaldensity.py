#!/usr/bin/python3
"""Optical density of every grey level from an "OD parameter" item, written independently of the
program: numpy over all 65536 levels at once.

Usage: opticaldensity.py <item text> <output file>
Writes 65536 little-endian float64 values.

The item is "N,a,b,c" (each field may carry a name and a colon before its value; extra fields are
ignored). Entry 0 is 0; entry g is a*x*x + b*x + c with x = log10(1 - g/N). Grey levels are kept as
they are when the item has fewer than four fields or N is 0 or no decimal integer. Coefficients that
are no finite number count as 0. A level whose density is not finite (g at or beyond N, overflow)
takes the density of the level below it.
"""

import re
import sys

import numpy as np

LEVELS = 65536
INTEGER = re.compile(r"[+-]?[0-9]+")
DECIMAL = re.compile(r"[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?")


def value(field):
    return field.rpartition(":")[2]


def integer(text):
    if not INTEGER.fullmatch(text):
        return 0
    n = int(text)
    return n if -2**31 <= n < 2**31 else 0


def decimal(text):
    if not DECIMAL.fullmatch(text):
        return 0.0
    v = float(text)
    return v if np.isfinite(v) else 0.0


def table(item):
    levels = np.arange(LEVELS, dtype=np.float64)
    fields = item.split(",") if item else []
    if len(fields) < 4:
        return levels
    n = integer(value(fields[0]))
    a, b, c = (decimal(value(f)) for f in fields[1:4])
    if n == 0:
        return levels
    with np.errstate(all="ignore"):
        x = np.log(1.0 - levels / n) / np.log(10.0)
        density = a * x * x + b * x + c
    density[0] = 0.0
    # Forward fill of the levels without a finite density.
    index = np.where(np.isfinite(density), np.arange(LEVELS), 0)
    np.maximum.accumulate(index, out=index)
    return density[index]


def main():
    result = table(sys.argv[1])
    assert result.shape == (LEVELS,) and np.all(np.isfinite(result))
    result.astype("<f8").tofile(sys.argv[2])


if __name__ == "__main__":
    main()
