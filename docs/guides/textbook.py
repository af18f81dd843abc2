"""Ensemble-averaged learning curves, and figures drawn the way textbooks draw
them: squared error in dB against iterations, the minimum mean-square error
dashed with its value, parameters in the legend, a style per curve.

Every guide script runs as ``python3 SCRIPT.py OUTDIR`` with the built
package on PYTHONPATH and writes its figures and their captions into OUTDIR.
"""
import os
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

import adaptive  # noqa: E402

STYLES = [
    {"color": "#1f77b4", "linestyle": "-"},
    {"color": "#d62728", "linestyle": "--"},
    {"color": "#2ca02c", "linestyle": "-."},
    {"color": "#9467bd", "linestyle": ":"},
    {"color": "#ff7f0e", "linestyle": (0, (6, 2, 1, 2, 1, 2))},
]


def db(power):
    """Power in dB relative to 1 (a signal of unit power is 0 dB)."""
    return 10.0 * np.log10(power)


def fir(h, x):
    """x filtered by the coefficients h (h[0] multiplies the newest sample)."""
    return np.convolve(x, h)[: len(x)]


def ensemble_error(token, parameters, make_run, runs, output="PriError"):
    """Sample by sample, the mean over `runs` realisations of an output squared
    (by default the a-priori error). make_run(seed) gives the filter's inputs,
    one row per sample."""
    total = 0.0
    for seed in range(runs):
        with adaptive.Filter(token, parameters) as f:
            total = total + f.process(make_run(seed))[:, f.outputs.index(output)] ** 2
    return total / runs


def ensemble_misalignment(token, parameters, make_run, truth, runs):
    """Sample by sample, the mean over the runs of ||w(n) - h||^2 / ||h||^2,
    w(n) the coefficients after sample n as the filter records them."""
    total = 0.0
    for seed in range(runs):
        with adaptive.Filter(token, parameters) as f:
            _, history = f.process(make_run(seed), weights_every=1)
        total = total + np.sum((history - truth) ** 2, axis=1) / np.sum(truth**2)
    return total / runs


def learning_axes(title, ylabel="ensemble-averaged squared error (dB re 1)"):
    figure, axes = plt.subplots(figsize=(8.4, 4.6), dpi=110)
    axes.set_xlabel("iteration n (samples)")
    axes.set_ylabel(ylabel)
    axes.set_title(title)
    axes.grid(True, alpha=0.3)
    return figure, axes


def floor(axes, power, label="$J_{min}$"):
    """The minimum mean-square error, dashed, with its value in the legend."""
    axes.axhline(db(power), color="black", linestyle="--", linewidth=1, label=f"{label} = {db(power):.1f} dB")


def smoothed(power, width):
    """The moving average of `width` samples (for curves that are still noisy after averaging runs)."""
    return np.convolve(power, np.ones(width) / width, mode="valid")


def finish(axes, noise=None, ylim=None, legend="upper right"):
    """The noise floor (when given), the value range and the legend of a learning-curve figure."""
    if noise is not None:
        floor(axes, noise)
    if ylim is not None:
        axes.set_ylim(*ylim)
    axes.legend(loc=legend)


def legend_below(axes, columns=2):
    axes.legend(loc="upper center", bbox_to_anchor=(0.5, -0.14), ncol=columns, frameon=False)


class Figures:
    """The figures of one guide and their captions, written into OUTDIR."""

    def __init__(self):
        self.out = sys.argv[1] if len(sys.argv) > 1 else "."
        os.makedirs(self.out, exist_ok=True)
        self.captions = []

    def save(self, figure, name, caption):
        figure.tight_layout()
        figure.savefig(os.path.join(self.out, name))
        plt.close(figure)
        self.captions.append(f"{name}\t{caption}")

    def close(self):
        with open(os.path.join(self.out, "captions.txt"), "w", encoding="utf-8") as text:
            text.write("\n".join(self.captions) + "\n")
