#!/usr/bin/python3
"""Throughput of independent filters in Python threads: `process` releases the
GIL, so filters of their own on two threads of a ThreadPoolExecutor run in
parallel. Prints samples per second on one and on two threads and their
ratio (about 2 on two idle cores); checks nothing, as timing depends on the
machine's load.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_parallel.py
"""

import time
from concurrent.futures import ThreadPoolExecutor

import numpy as np

import adaptive_filters

CASES = {
    "RLS3, N = 30": ("RLS3", {"Numerator Coeffs  1": 10, "Numerator Coeffs  2": 10, "Numerator Coeffs  3": 10}),
    "NLMS, N = 32": ("NLMS", {"Numerator Coeffs": 32}),
}
SAMPLES = {"RLS3": 100_000, "NLMS": 2_000_000}


def rate(token, parameters, threads, repeats=3):
    """Samples per second of `threads` filters, one per thread, each
    processing its own block; the best of `repeats` runs."""
    filters = [adaptive_filters.Filter(token, parameters) for _ in range(threads)]
    rng = np.random.default_rng(0)
    x = rng.standard_normal((SAMPLES[token], len(filters[0].inputs)))
    best = float("inf")
    with ThreadPoolExecutor(max_workers=threads) as pool:
        for _ in range(repeats):
            start = time.perf_counter()
            list(pool.map(lambda f: f.process(x), filters))
            best = min(best, time.perf_counter() - start)
    for f in filters:
        f.close()
    return threads * len(x) / best


def main():
    print("throughput of 2 threads over 1 thread (independent filters, ThreadPoolExecutor):")
    for label, (token, parameters) in CASES.items():
        one = rate(token, parameters, 1)
        two = rate(token, parameters, 2)
        print(f"  {label:14s} {two / one:.2f}x  ({one:.3g} -> {two:.3g} samples/s)")


if __name__ == "__main__":
    main()
