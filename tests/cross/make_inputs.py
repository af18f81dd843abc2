#!/usr/bin/env python3
"""Writes the input CSV files of the cross-build cases into a directory.

The samples come from a fixed linear congruential generator and are printed
with repr(), the shortest text that reads back to the same double, so the
files are the same bytes on every machine and every build parses the same
values from them.
"""
import math
import sys
from pathlib import Path

ROWS = 300


class Lcg:
    """Numerical Recipes' 32-bit generator: integer arithmetic only."""

    def __init__(self, seed):
        self.state = seed

    def uniform(self):  # in [-1, 1)
        self.state = (1664525 * self.state + 1013904223) % 2**32
        return self.state / 2**31 - 1.0


def fir(signal, taps):
    return [sum(h * signal[n - k] for k, h in enumerate(taps) if n >= k) for n in range(len(signal))]


def identification(channels, seed):
    """Input columns of white noise and a desired column from unknown FIR filters plus noise."""
    rng = Lcg(seed)
    inputs = [[rng.uniform() for _ in range(ROWS)] for _ in range(channels)]
    systems = [[0.8, -0.4, 0.2, 0.1], [0.5, 0.3, -0.2], [-0.6, 0.25, 0.125, 0.0625]]
    filtered = [fir(x, systems[c]) for c, x in enumerate(inputs)]
    desired = [sum(f[n] for f in filtered) + 0.01 * rng.uniform() for n in range(ROWS)]
    return [list(row) for row in zip(*inputs, desired)]


def general(columns, seed):
    """Input, then for the general tokens a gradient and an error from elsewhere in the diagram."""
    rng = Lcg(seed)
    rows = []
    for _ in range(ROWS):
        row = [rng.uniform()] + [0.1 * rng.uniform() for _ in range(columns - 1)]
        rows.append(row)
    return rows


def with_step_and_leakage(rows):
    """GenLMS_A takes its step size and leakage as input ports."""
    return [row + [0.01, 0.9999] for row in rows]


def specials():
    """Samples that test how every build prints and propagates non-finite and extreme values."""
    values = [1.0, -0.0, 5e-324, 2.2250738585072014e-308, 1e300, -1e-300, 0.1, -0.7,
              math.inf, 1.0, -math.inf, 0.5, math.nan, 0.25, -0.5]
    return [[values[n % len(values)], values[(3 * n + 1) % len(values)]] for n in range(60)]


def nan_signs():
    """NaNs of both signs on both ports, so that they meet in the sums of every
    later step, where builds may give the result the sign of either."""
    rng = Lcg(7)
    rows = [[rng.uniform(), rng.uniform()] for _ in range(40)]
    rows[10][0] = -math.nan
    rows[15][1] = math.nan
    rows[20] = [math.nan, -math.nan]
    rows[25][0] = math.inf
    rows[26][1] = -math.inf
    return rows


def text(value):
    if math.isnan(value):
        return "-nan" if math.copysign(1.0, value) < 0 else "nan"
    if math.isinf(value):
        return "inf" if value > 0 else "-inf"
    return repr(value)


def write(path, rows):
    with open(path, "w", newline="\n") as f:
        for row in rows:
            f.write(",".join(text(v) for v in row) + "\n")


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    write(out / "one.csv", identification(1, 1))
    write(out / "two.csv", identification(2, 2))
    write(out / "three.csv", identification(3, 3))
    write(out / "gradient_error.csv", general(3, 4))
    write(out / "gradient_error_step.csv", with_step_and_leakage(general(3, 5)))
    write(out / "error.csv", general(2, 6))
    write(out / "specials.csv", specials())
    write(out / "nan_signs.csv", nan_signs())


if __name__ == "__main__":
    main()
