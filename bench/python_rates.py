#!/usr/bin/python3
"""Samples per second of the Python package: one `process` call over a block
against a per-sample Python loop of `step`, for NLMS and RLS1 at N = 10.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_rates.py
    (or with the package installed: venv/bin/python bench/python_rates.py)
"""

import time

import numpy as np

import adaptive_filters

TOKENS = {"NLMS": {"Numerator Coeffs": 10}, "RLS1": {"Numerator Coeffs": 10}}


def best_rate(run, samples, repeats=5):
    """Samples per second of the fastest of `repeats` runs."""
    best = float("inf")
    for _ in range(repeats):
        start = time.perf_counter()
        run()
        best = min(best, time.perf_counter() - start)
    return samples / best


def main():
    rng = np.random.default_rng(0)
    x = rng.standard_normal((200_000, 2))
    rows = x[:20_000]
    print(f"{'token':6s} {'process (samples/s)':>20s} {'step loop (samples/s)':>22s} {'ratio':>7s}")
    for name, parameters in TOKENS.items():
        with adaptive_filters.Filter(name, parameters) as f:
            block = best_rate(lambda: f.process(x), len(x))

            def loop():
                for row in rows:
                    f.step(row)

            steps = best_rate(loop, len(rows))
        print(f"{name:6s} {block:20.3g} {steps:22.3g} {block / steps:7.0f}")


if __name__ == "__main__":
    main()
