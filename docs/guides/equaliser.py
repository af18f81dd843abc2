"""The equaliser and the eigenvalue spread: the classic raised-cosine channel
whose parameter W sets the spread of the input correlation matrix's
eigenvalues, equalised by LMS (slower the larger the spread) and RLS1 (not)."""
import numpy as np

from textbook import Figures, LearningPlot, ensemble_error

taps, delay, noise = 11, 7, 0.001
samples, runs = 600, 100


def channel(W):
    """h(1), h(2), h(3) of the raised-cosine channel (h(0) = 0)."""
    return np.array([0.0] + [0.5 * (1 + np.cos(2 * np.pi / W * (n - 2))) for n in (1, 2, 3)])


def statistics(W):
    """Eigenvalue spread of the equaliser's input correlation matrix and the Wiener filter's minimum MSE."""
    h = channel(W)
    r = np.array([np.dot(h[: len(h) - k], h[k:]) for k in range(len(h))])
    r[0] += noise
    R = np.array([[r[abs(i - j)] if abs(i - j) < len(r) else 0.0 for j in range(taps)] for i in range(taps)])
    p = np.array([h[delay - k] if 0 <= delay - k < len(h) else 0.0 for k in range(taps)])
    eigenvalues = np.linalg.eigvalsh(R)
    return eigenvalues[-1] / eigenvalues[0], 1.0 - p @ np.linalg.solve(R, p)


def runner(W):
    h = channel(W)

    def make_run(seed):
        rng = np.random.default_rng(seed)
        a = rng.choice([-1.0, 1.0], size=samples)
        u = np.convolve(a, h)[:samples] + np.sqrt(noise) * rng.standard_normal(samples)
        return np.column_stack([u, np.concatenate([np.zeros(delay), a[:-delay]])])

    return make_run


figures = Figures()
widths = [2.9, 3.1, 3.3, 3.5]
for token, parameters, title, name in [
    ("LMS", {"Numerator Coeffs": taps, "Mu Forward": 0.0375}, "LMS, μ = 0.0375", "lms"),
    ("RLS1", {"Numerator Coeffs": taps, "Lambda": 1.0, "Init": 0.004}, "RLS1, λ = 1, Init = 0.004", "rls"),
]:
    plot = LearningPlot(f"Equaliser of {taps} taps, {title} ({runs} runs)", samples, (-35, 10))
    for W in widths:
        spread, jmin = statistics(W)
        plot.curve(ensemble_error(token, parameters, runner(W), runs), f"W = {W}: χ(R) = {spread:.1f}", start=delay)
        plot.level(jmin, f"$J_{{min}}$ (W = {W})", of_last_curve=True)
    figures.save(plot.finish(), f"equaliser-{name}.png",
                 f"{title}, from zero coefficients: squared a-priori error {plot.smoothing(runs)}, in dB relative "
                 f"to the symbols' power 1, for four channels; χ(R) is the eigenvalue spread of the {taps}×{taps} "
                 f"input correlation matrix, the dashed lines the Wiener equaliser's minimum MSE J_min of each "
                 f"channel, in its curve's colour. The desired symbol lags the channel by {delay} samples: the error is exactly zero "
                 f"before it starts, and the curves begin at sample {delay + 1}. "
                 + ("LMS slows down as the spread grows." if name == "lms" else
                    "RLS1 converges in about 2N samples whatever the spread."))
figures.close()
