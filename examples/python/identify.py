#!/usr/bin/python3
"""Identifies an unknown system with the adaptive filters and shows how fast
each one learns: NLMS and RLS1 on the same noisy recording of the system's
input and output. Plots the learning curves with matplotlib when it is
installed (identify.png), prints them otherwise, and prints the coefficients
each filter found.

Run it with the Python of the virtual environment that the package is
installed in (Debian's /usr/bin/python3 with its NumPy; see the README):

    venv/bin/python examples/python/identify.py [--samples N] [--plot FILE]
"""

import argparse

import numpy as np

import adaptive_filters

SYSTEM = np.array([0.6, 0.3, -0.2, 0.1, 0.05, -0.02, 0.0, 0.0])
FILTERS = {
    "NLMS": {"Numerator Coeffs": 8, "Mu Forward": 0.2},
    "RLS1": {"Numerator Coeffs": 8, "Lambda": 0.999},
}


def learning_curve(error, window):
    """Mean squared a-priori error over consecutive windows, in dB."""
    blocks = len(error) // window
    power = np.mean(error[: blocks * window].reshape(blocks, window) ** 2, axis=1)
    return 10 * np.log10(power)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--samples", type=int, default=4000)
    parser.add_argument("--plot", default="identify.png", help="where the figure goes (with matplotlib)")
    args = parser.parse_args()

    rng = np.random.default_rng(1)
    x = rng.standard_normal(args.samples)
    desired = np.convolve(x, SYSTEM)[: args.samples] + 0.01 * rng.standard_normal(args.samples)
    signals = np.column_stack([x, desired])  # the ports "Input" and "Desired"

    window = 100
    curves = {}
    for name, parameters in FILTERS.items():
        with adaptive_filters.Filter(name, parameters) as f:
            outputs = f.process(signals)
            found = f.weights[0]  # the coefficients reached, as a final-weights file would hold them
        curves[name] = learning_curve(outputs[:, f.outputs.index("PriError")], window)
        print(f"{name:5s} coefficients: " + " ".join(f"{w:+.3f}" for w in found)
              + f"   misalignment {10 * np.log10(np.sum((found - SYSTEM) ** 2) / np.sum(SYSTEM ** 2)):.1f} dB")

    try:
        import matplotlib

        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        print(f"\nlearning curves (a-priori error power in dB per {window} samples; no matplotlib to plot them):")
        print("samples  " + "  ".join(f"{name:>6s}" for name in curves))
        for k in range(len(next(iter(curves.values())))):
            print(f"{(k + 1) * window:7d}  " + "  ".join(f"{curve[k]:6.1f}" for curve in curves.values()))
        return

    figure, axes = plt.subplots(figsize=(7, 4))
    for name, curve in curves.items():
        axes.plot(np.arange(1, len(curve) + 1) * window, curve, label=name)
    axes.set_xlabel("sample")
    axes.set_ylabel("a-priori error power (dB)")
    axes.set_title("Identifying an 8-tap system")
    axes.grid(True)
    axes.legend()
    figure.tight_layout()
    figure.savefig(args.plot)
    print(f"learning curves plotted in {args.plot}")


if __name__ == "__main__":
    main()
