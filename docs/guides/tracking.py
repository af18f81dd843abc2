"""Tracking a drifting system: the coefficients take a random walk; RLS1
without forgetting stops following it, RLS1 with forgetting and the
random-walk token RW1 follow it."""
import numpy as np

from textbook import STYLES, Figures, db, ensemble_error, floor, learning_axes, legend_below, smoothed

N, noise, drift = 4, 1e-3, 1e-5  # drift: variance per sample of each coefficient's step
samples, runs, width = 4000, 60, 25


def make_run(seed):
    rng = np.random.default_rng(seed)
    x = rng.standard_normal(samples)
    h = rng.standard_normal(N) * 0.5 + np.cumsum(np.sqrt(drift) * rng.standard_normal((samples, N)), axis=0)
    taps = np.column_stack([np.concatenate([np.zeros(k), x[: samples - k]]) for k in range(N)])
    return np.column_stack([x, np.sum(h * taps, axis=1) + np.sqrt(noise) * rng.standard_normal(samples)])


filters = [
    ("RLS1", {"Numerator Coeffs": N, "Lambda": 1.0}, "RLS1, λ = 1"),
    ("RLS1", {"Numerator Coeffs": N, "Lambda": 0.98}, "RLS1, λ = 0.98"),
    ("RW1", {"Numerator Coeffs": N, "Lambda": 1.0, "Random Walk Variance": drift / noise},
     f"RW1, λ = 1, q = {drift / noise:g} (the drift over the noise power)"),
    ("RW1", {"Numerator Coeffs": N, "Lambda": 1.0, "Random Walk Variance": 1.0}, "RW1, λ = 1, q = 1 (default)"),
]
figures = Figures()
figure, axes = learning_axes(f"Tracking a random walk of variance {drift:g} per sample, N = {N} ({runs} runs)")
for style, (token, parameters, label) in zip(STYLES, filters):
    curve = smoothed(ensemble_error(token, parameters, make_run, runs), width)
    axes.plot(np.arange(width, samples + 1), db(curve), label=label, linewidth=1.3, **style)
floor(axes, noise)
axes.set_ylim(-32, -5)
legend_below(axes)
figures.save(figure, "tracking.png",
             f"Squared a-priori error averaged over {runs} runs and a moving window of {width} samples (dB "
             f"relative to the input power 1); every "
             f"coefficient drifts by a random step of variance {drift:g} per sample, the noise floor (dashed) "
             "is the measurement noise. All Init = 1e-5. Without forgetting RLS1's gain dies out and its error "
             "grows with the drift; RW1 with q matched to the drift keeps the error nearest the floor.")
figures.close()
