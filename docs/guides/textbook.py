"""Ensemble-averaged learning curves, and figures drawn the way adaptsim's
reports draw them: squared error in dB (relative to a stated power) against
the sample number on a logarithmic axis, reference levels dashed with their
values, a colour, dash pattern and marker per curve, coinciding curves named
in the legend, curves that leave the range clipped with a mark, the legend
right of the axes.

Every guide script runs as ``python3 SCRIPT.py OUTDIR`` with the built
package on PYTHONPATH and writes its figures and their captions into OUTDIR.
"""
import os
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

import adaptive_filters  # noqa: E402

# Colour, dash pattern and marker per curve; open markers are drawn larger
# than filled ones so that both show where curves coincide.
STYLES = [
    {"color": "#1f77b4", "linestyle": "-", "marker": "o", "markersize": 7, "markerfacecolor": "white"},
    {"color": "#d62728", "linestyle": "--", "marker": "s", "markersize": 4},
    {"color": "#2ca02c", "linestyle": "-.", "marker": "D", "markersize": 6, "markerfacecolor": "white"},
    {"color": "#9467bd", "linestyle": ":", "marker": "x", "markersize": 6},
    {"color": "#ff7f0e", "linestyle": (0, (6, 2, 1, 2, 1, 2)), "marker": "P", "markersize": 5},
]
POINTS = 400  # points per learning curve on the logarithmic sample axis
QUANTISATION = 2.0**-30 / 12  # q²/12 of a 16-bit recording in full-scale power (q = 2⁻¹⁵)


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
        with adaptive_filters.Filter(token, parameters) as f:
            total = total + f.process(make_run(seed))[:, f.outputs.index(output)] ** 2
    return total / runs


def ensemble_misalignment(token, parameters, make_run, truth, runs, every=1):
    """Sample by sample, the mean over the runs of ||w(n) - h||^2 / ||h||^2,
    w(n) the coefficients after sample n as the filter records them; with
    `every` > 1 recorded every `every` samples (less memory for long filters)
    and held until the next record."""
    total = 0.0
    for seed in range(runs):
        with adaptive_filters.Filter(token, parameters) as f:
            start = np.concatenate(f.weights)
            _, history = f.process(make_run(seed), weights_every=every)
        history = np.vstack([np.tile(start, (every - 1, 1)), np.repeat(history, every, axis=0)])
        total = total + np.sum((history[: len(history) - every + 1] - truth) ** 2, axis=1) / np.sum(truth**2)
    return total / runs


def log_means(power, start=0):
    """power[k] belongs to sample k + 1. Single samples at the start, then
    means over windows that grow with the sample number, equally wide on a
    logarithmic axis: the samples (geometric centre of each window), the
    means and the widest window. The first `start` samples are left out."""
    edges = np.unique(np.round(np.geomspace(start + 1, len(power) + 1, POINTS + 1)).astype(int))
    means = np.array([np.mean(power[a - 1 : b - 1]) for a, b in zip(edges[:-1], edges[1:])])
    return np.sqrt(edges[:-1] * (edges[1:] - 1.0)), means, int(np.max(np.diff(edges)))


def decade(value, _):
    """1, 10, 100, 1000, 10⁴, ...: the labels of a logarithmic sample axis."""
    exponent = int(round(np.log10(value)))
    return f"{value:.0f}" if exponent < 4 else "10" + str(exponent).translate(str.maketrans("0123456789", "⁰¹²³⁴⁵⁶⁷⁸⁹"))


class LearningPlot:
    """A learning-curve figure: the sample number on a logarithmic axis from 1
    to the last sample, power in dB in the fixed range `ylim` (curves leaving
    it are clipped at the edge, a triangle where they leave, their extreme in
    the legend), a style per curve, reference levels dashed with their values
    and the legend on a white background right of the axes."""

    def __init__(self, title, samples, ylim, ylabel="ensemble-averaged squared error (dB re 1)"):
        self.figure, self.axes = plt.subplots(figsize=(7.6, 4.4), dpi=110)
        self.axes.set_xscale("log")
        self.axes.set_xlim(1, samples)
        self.axes.xaxis.set_major_locator(matplotlib.ticker.LogLocator(base=10, numticks=12))
        self.axes.xaxis.set_major_formatter(matplotlib.ticker.FuncFormatter(decade))
        self.axes.xaxis.set_minor_formatter(matplotlib.ticker.NullFormatter())
        self.axes.set_ylim(*ylim)
        self.axes.set_xlabel("sample n (logarithmic)")
        self.axes.set_ylabel(ylabel)
        self.axes.set_title(title)
        self.axes.grid(True, alpha=0.3)
        self.drawn = []
        self.widest = 1

    def curve(self, power, label, start=0):
        """Draws power[k] (sample k + 1) from sample start + 1 on, in dB."""
        n, means, widest = log_means(power, start)
        self.widest = max(self.widest, widest)
        with np.errstate(divide="ignore"):
            level = db(means)
        style = STYLES[len(self.drawn) % len(STYLES)]
        legend = label
        for other_label, other in self.drawn:
            if other.shape == level.shape and np.all(np.abs(other - level) < 0.05):
                legend += f" (identical to {other_label})"
                break
        bottom, top = self.axes.get_ylim()
        above, below = level > top, level < bottom
        if above.any():
            legend += f"; peak {np.max(level):.0f} dB ▲"
        if below.any():
            lowest = np.min(level)
            legend += f"; down to {lowest:.0f} dB ▼" if np.isfinite(lowest) else "; exact zeros ▼"
        self.axes.plot(n, np.clip(level, bottom, top), label=legend, linewidth=1.1,
                       markevery=(0.03 * len(self.drawn), 0.12), **style)
        for outside, edge, mark in [(above, top, "^"), (below, bottom, "v")]:
            leaves = np.flatnonzero(outside & ~np.concatenate([[False], outside[:-1]]))
            if len(leaves):
                self.axes.plot(n[leaves], np.full(len(leaves), edge), linestyle="none", marker=mark,
                               markersize=8, color=style["color"], clip_on=False)
        self.drawn.append((label, level))

    def level(self, power, label="noise floor $J_{min}$", of_last_curve=False):
        """A reference level (noise floor, minimum MSE), dashed, with its value in
        the legend; in the colour of the curve drawn last when it is that curve's."""
        color = STYLES[(len(self.drawn) - 1) % len(STYLES)]["color"] if of_last_curve else "black"
        floor(self.axes, power, label, color)

    def smoothing(self, runs=None):
        """How the curves were averaged, for the caption."""
        windows = (f"over windows that grow with n up to {self.widest} samples "
                   "(logarithmic sample axis)")
        return windows if runs is None else f"averaged over {runs} runs and {windows}"

    def quantisation_floor(self):
        """The floor of a 16-bit recording (q²/12, q = 2⁻¹⁵), dashed, where a curve comes within 10 dB of it."""
        if min(np.min(level) for _, level in self.drawn) < db(QUANTISATION) + 10:
            self.level(QUANTISATION, "16-bit quantisation floor q²/12")

    def finish(self):
        outside_legend(self.axes)
        return self.figure


def floor(axes, power, label="$J_{min}$", color="black"):
    """The minimum mean-square error, dashed, with its value in the legend."""
    axes.axhline(db(power), color=color, linestyle="--", linewidth=1, label=f"{label} = {db(power):.1f} dB")


def outside_legend(axes):
    """The legend right of the axes, on a white background, clear of the data."""
    axes.legend(loc="upper left", bbox_to_anchor=(1.02, 1.0), frameon=True, facecolor="white", framealpha=1.0,
                fontsize="small")


class Figures:
    """The figures of one guide and their captions, written into OUTDIR, and
    their legends' entries (legends.txt, for docs/check.py)."""

    def __init__(self):
        self.out = sys.argv[1] if len(sys.argv) > 1 else "."
        os.makedirs(self.out, exist_ok=True)
        self.captions = []
        self.legends = []

    def save(self, figure, name, caption):
        entries = [t.get_text() for axes in figure.axes if axes.get_legend() for t in axes.get_legend().get_texts()]
        figure.savefig(os.path.join(self.out, name), bbox_inches="tight")
        plt.close(figure)
        self.captions.append(f"{name}\t{caption}")
        self.legends.append("\t".join([name] + entries))

    def close(self):
        for file, lines in (("captions.txt", self.captions), ("legends.txt", self.legends)):
            with open(os.path.join(self.out, file), "w", encoding="utf-8") as text:
                text.write("\n".join(lines) + "\n")
