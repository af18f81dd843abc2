"""System identification: LMS, NLMS and RLS1 learn an unknown FIR system from
its input and its noisy output."""

import numpy as np

from textbook import Figures, LearningPlot, db, ensemble_error, ensemble_misalignment, fir

h = np.array([0.6, 0.3, -0.2, 0.1, 0.05, -0.02, 0.01, 0.005])  # the unknown system
noise = 1e-3  # power of the measurement noise: the minimum mean-square error
samples, runs = 1500, 200


def make_run(seed):
    """Unit-power white input and the system's output plus noise."""
    rng = np.random.default_rng(seed)
    x = rng.standard_normal(samples)
    return np.column_stack([x, fir(h, x) + np.sqrt(noise) * rng.standard_normal(samples)])


filters = [
    ("LMS", {"Numerator Coeffs": 8, "Mu Forward": 0.01}, "LMS, μ = 0.01"),
    ("NLMS", {"Numerator Coeffs": 8, "Mu Forward": 0.2}, "NLMS, μ = 0.2"),
    ("RLS1", {"Numerator Coeffs": 8, "Lambda": 0.999, "Init": 1e-5}, "RLS1, λ = 0.999, Init = 1e-5"),
]
figures = Figures()

plot = LearningPlot(f"Learning curves, N = 8, white input of power 1 ({runs} runs)", samples, (-35, 10))
for token, parameters, label in filters:
    plot.curve(ensemble_error(token, parameters, make_run, runs), label)
plot.level(noise)
figures.save(plot.finish(), "learning.png",
             f"Squared a-priori error (PriError) {plot.smoothing(runs)}, in dB relative to 1 (the input's "
             f"power); the dashed line is the noise power {db(noise):.0f} dB, the least any filter can reach. "
             "LMS μ = 0.01, NLMS μ = 0.2, RLS1 λ = 0.999 and Init = 1e-5, all from zero coefficients. "
             "RLS1 converges in a few times N samples; LMS and NLMS at these step sizes take hundreds.")

plot = LearningPlot("Misalignment", samples, (-60, 20), ylabel="misalignment ‖w(n) − h‖² / ‖h‖² (dB re ‖h‖²)")
for token, parameters, label in filters:
    plot.curve(ensemble_misalignment(token, parameters, make_run, h, 10), label)
figures.save(plot.finish(), "misalignment.png",
             f"Misalignment of the coefficients after each sample n, {plot.smoothing(10)}, as the filter "
             "records them (process with weights_every=1), in dB relative to the unknown system's energy "
             "‖h‖². LMS and NLMS settle where their step sizes let them; RLS1 keeps refining its estimate.")
figures.close()
