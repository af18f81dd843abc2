"""Tracking a drifting system: the coefficients take a random walk; RLS1
without forgetting stops following it, RLS1 with forgetting and the
random-walk token RW1 follow it."""
import numpy as np

from textbook import Figures, LearningPlot, ensemble_error

N, noise, drift = 4, 1e-3, 1e-5  # drift: variance per sample of each coefficient's step
samples, runs = 4000, 60


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
     f"RW1, λ = 1, q = {drift / noise:g} = drift / noise"),
    ("RW1", {"Numerator Coeffs": N, "Lambda": 1.0, "Random Walk Variance": 1.0}, "RW1, λ = 1, q = 1 (default)"),
]
figures = Figures()
plot = LearningPlot(f"Tracking a random walk of variance {drift:g} per sample, N = {N} ({runs} runs)", samples,
                    (-35, 10))
for token, parameters, label in filters:
    plot.curve(ensemble_error(token, parameters, make_run, runs), label)
plot.level(noise)
figures.save(plot.finish(), "tracking.png",
             f"Squared a-priori error {plot.smoothing(runs)}, in dB relative to the input power 1; every "
             f"coefficient drifts by a random step of variance {drift:g} per sample, the noise floor (dashed) "
             "is the measurement noise. All Init = 1e-5, from zero coefficients. Without forgetting RLS1's gain "
             "dies out and its error grows with the drift; RW1 with q matched to the drift keeps the error "
             "nearest the floor.")
figures.close()
