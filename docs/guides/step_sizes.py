"""Choosing μ and λ: the speed of convergence against the excess error, and
where LMS diverges."""
import numpy as np

from textbook import STYLES, Figures, db, ensemble_error, finish, fir, floor, learning_axes

h = np.array([0.6, 0.3, -0.2, 0.1, 0.05, -0.02, 0.01, 0.005])
N = len(h)
noise = 1e-3
samples = 2000


def make_run(seed):
    rng = np.random.default_rng(seed)
    x = rng.standard_normal(samples)
    return np.column_stack([x, fir(h, x) + np.sqrt(noise) * rng.standard_normal(samples)])


figures = Figures()
iterations = np.arange(1, samples + 1)

figure, axes = learning_axes(f"LMS, N = {N}, white input of power 1: step size μ (100 runs)")
for style, mu in zip(STYLES, [0.0025, 0.01, 0.03, 0.05]):
    curve = ensemble_error("LMS", {"Numerator Coeffs": N, "Mu Forward": mu}, make_run, 100)
    axes.plot(iterations, db(curve), label=f"μ = {mu}  (μ·N·P = {mu * N:.2f})", linewidth=1.1, **style)
finish(axes, noise, (-35, 5), legend="upper right")
figures.save(figure, "lms-mu.png",
             "LMS learning curves for four step sizes, squared a-priori error averaged over 100 runs in dB "
             "relative to the input power. A larger μ converges faster and settles higher above the noise "
             "floor (dashed): with the 2μ gain the misadjustment is about μ·N·P / (1 − μ·N·P).")

# Steady-state error against μ: the last 500 samples of 20 runs each.
mus = np.array([0.002, 0.005, 0.01, 0.02, 0.03, 0.04, 0.05, 0.06, 0.07, 0.075, 0.08, 0.085, 0.09, 0.1])
settled, diverged = [], []
for mu in mus:
    curve = ensemble_error("LMS", {"Numerator Coeffs": N, "Mu Forward": mu}, make_run, 20)
    level = np.mean(curve[-500:])
    (settled if np.isfinite(level) and level < 1.0 else diverged).append((mu, level))
figure, axes = learning_axes("LMS: excess error against the step size", ylabel="steady-state error (dB re 1)")
axes.set_xlabel("μ·N·P  (P = 1, N = 8)")
steady = np.array(settled)
axes.plot(steady[:, 0] * N, db(steady[:, 1]), "o-", color=STYLES[0]["color"], label="measured (20 runs)")
theory = np.linspace(mus[0], steady[-1, 0], 200) * N
axes.plot(theory, db(noise * (1 + theory / (1 - theory))), linestyle="--", color=STYLES[1]["color"],
          label="$J_{min}$·(1 + μNP / (1 − μNP))")
edge = diverged[0][0] * N if diverged else None
if edge is not None:
    axes.axvline(edge, color=STYLES[3]["color"], linestyle=":", linewidth=2,
                 label=f"diverged from μ·N·P = {edge:.2f} on")
floor(axes, noise)
axes.legend(loc="upper left")
figures.save(figure, "lms-edge.png",
             "Steady-state squared a-priori error of LMS against μ·N·P (mean of the last 500 of 2000 samples, "
             "20 runs), with the small-step theory dashed. The error grows with μ and the filter diverges "
             "below μ·N·P = 1, the textbook bound: stay well below it.")

figure, axes = learning_axes(f"RLS1, N = {N}: forgetting factor λ (200 runs), Init = 1e-5")
for style, lam in zip(STYLES, [0.9, 0.98, 0.999]):
    curve = ensemble_error("RLS1", {"Numerator Coeffs": N, "Lambda": lam}, make_run, 200)
    excess = N * (1 - lam) / (1 + lam)
    axes.plot(iterations, db(curve), linewidth=1.1, **style,
              label=f"λ = {lam}: memory ≈ {1 / (1 - lam):.0f} samples, excess ≈ {db(1 + excess):.1f} dB")
axes.set_xscale("log")
finish(axes, noise, (-32, 5), legend="upper right")
figures.save(figure, "rls-lambda.png",
             "RLS1 learning curves for three forgetting factors (squared a-priori error averaged over 200 runs, "
             "dB relative to the input power, logarithmic time axis). All converge within a few times N "
             "samples; a shorter memory leaves more excess error, about N·(1 − λ)/(1 + λ) of the noise floor.")
figures.close()
