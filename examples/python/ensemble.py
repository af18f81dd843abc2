#!/usr/bin/python3
"""The textbook learning curves of LMS, NLMS and RLS1 identifying one system,
each averaged over R independent realisations (adaptive_filters.ensemble), on threads
or on a Dask cluster.

    venv/bin/python examples/python/ensemble.py [--runs R] [--samples N]
        [--dask [ADDRESS]] [--plot FILE]

--dask alone starts a LocalCluster on this machine; --dask tcp://HOST:8786
uses the scheduler at that address (its workers must have numpy and the
adaptive_filters package). The curves are in dB relative to the input power (unit
variance white noise), so the minimum MSE, the power of the measurement
noise, is -30 dB.
"""

import argparse
import time

import numpy as np

import adaptive_filters

SYSTEM = np.array([0.6, 0.3, -0.2, 0.1, 0.05, -0.02, 0.01, 0.0])
NOISE = 1e-3  # variance of the measurement noise: the minimum MSE
FILTERS = {
    "LMS": {"Numerator Coeffs": 8, "Mu Forward": 0.01},  # gain 2·Mu·e: a textbook step of 0.02
    "NLMS": {"Numerator Coeffs": 8, "Mu Forward": 0.25},
    "RLS1": {"Numerator Coeffs": 8, "Lambda": 0.999},
}


class Recording:
    """One realisation: white input of unit variance through SYSTEM, plus noise."""

    def __init__(self, samples):
        self.samples = samples

    def __call__(self, seed):
        rng = np.random.default_rng(seed)
        x = rng.standard_normal(self.samples)
        desired = np.convolve(x, SYSTEM)[: self.samples] + np.sqrt(NOISE) * rng.standard_normal(self.samples)
        return np.column_stack([x, desired])


def curves(runs, samples, executor):
    recording = Recording(samples)
    return {name: adaptive_filters.ensemble(name, parameters, recording, runs, true_system=SYSTEM, executor=executor)
            for name, parameters in FILTERS.items()}


def plot(results, runs, samples, path):
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    floor = 10 * np.log10(NOISE)
    figure, (mse, misalignment) = plt.subplots(2, 1, figsize=(8, 8), sharex=True)
    for name, curve in results.items():
        mse.plot(curve.mse_db, label=name, linewidth=0.8)
        misalignment.plot(curve.misalignment_at, curve.misalignment_db, marker=".", label=name)
    mse.axhline(floor, color="black", linestyle="--", linewidth=1)
    mse.annotate(f"minimum MSE {floor:.0f} dB (noise variance {NOISE:g})", (samples * 0.55, floor - 3.5))
    mse.set_ylabel("a-priori error power E[e²(n)], dB re input power")
    misalignment.set_ylabel("misalignment E‖w(n) − h‖² / ‖h‖², dB")
    misalignment.set_xlabel("sample n")
    for axes in (mse, misalignment):
        axes.grid(True, alpha=0.3)
        axes.legend()
    mse.set_title(f"Learning curves, mean of {runs} realisations")
    caption = (f"System: {len(SYSTEM)} taps, white Gaussian input of unit variance, noise variance {NOISE:g}. "
               + "; ".join(f"{name}: " + ", ".join(f"{k} {v:g}" for k, v in p.items()) for name, p in FILTERS.items())
               + ". LMS's gain is 2·Mu·e.")
    figure.text(0.5, 0.01, caption, ha="center", va="bottom", wrap=True, fontsize=8)
    figure.tight_layout(rect=(0, 0.05, 1, 1))
    figure.savefig(path, dpi=100)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=200, help="realisations averaged (default 200)")
    parser.add_argument("--samples", type=int, default=2000, help="samples per realisation (default 2000)")
    parser.add_argument("--dask", nargs="?", const="local", metavar="ADDRESS",
                        help="run on Dask: a LocalCluster, or the scheduler at ADDRESS")
    parser.add_argument("--plot", metavar="FILE", help="write the learning curves to FILE (needs matplotlib)")
    arguments = parser.parse_args()

    start = time.perf_counter()
    if arguments.dask:
        from distributed import Client, LocalCluster

        if arguments.dask == "local":
            with LocalCluster(dashboard_address=":0") as cluster, Client(cluster) as client:
                results = curves(arguments.runs, arguments.samples, client.get_executor())
        else:
            with Client(arguments.dask) as client:
                results = curves(arguments.runs, arguments.samples, client.get_executor())
    else:
        results = curves(arguments.runs, arguments.samples, None)
    print(f"{arguments.runs} realisations of {arguments.samples} samples in {time.perf_counter() - start:.1f} s")
    print("filter  final MSE (dB)  final misalignment (dB)")
    for name, curve in results.items():
        final = 10 * np.log10(np.mean(10 ** (curve.mse_db[-200:] / 10)))  # the last 200 samples
        print(f"{name:6}  {final:14.1f}  {curve.misalignment_db[-1]:23.1f}")
    if arguments.plot:
        plot(results, arguments.runs, arguments.samples, arguments.plot)


if __name__ == "__main__":
    main()
