"""Choosing μ and λ: the speed of convergence against the excess error, and
where LMS diverges."""
import matplotlib.pyplot as plt
import numpy as np

from textbook import STYLES, Figures, LearningPlot, db, ensemble_error, fir, floor, outside_legend

h = np.array([0.6, 0.3, -0.2, 0.1, 0.05, -0.02, 0.01, 0.005])
N = len(h)
noise = 1e-3
samples = 2000


def make_run(seed):
    rng = np.random.default_rng(seed)
    x = rng.standard_normal(samples)
    return np.column_stack([x, fir(h, x) + np.sqrt(noise) * rng.standard_normal(samples)])


figures = Figures()
plot = LearningPlot(f"LMS, N = {N}, white input of power 1: step size μ (100 runs)", samples, (-35, 5))
for mu in [0.0025, 0.01, 0.03, 0.05]:
    plot.curve(ensemble_error("LMS", {"Numerator Coeffs": N, "Mu Forward": mu}, make_run, 100),
               f"μ = {mu}  (μ·N·P = {mu * N:.2f})")
plot.level(noise)
figures.save(plot.finish(), "lms-mu.png",
             f"LMS learning curves for four step sizes from zero coefficients, squared a-priori error "
             f"{plot.smoothing(100)}, in dB relative to the input power 1. A larger μ converges faster and "
             "settles higher above the noise floor (dashed): with the 2μ gain the misadjustment is about "
             "μ·N·P / (1 − μ·N·P).")

# Steady-state error against μ: the last 500 samples of 20 runs each.
mus = np.array([0.002, 0.005, 0.01, 0.02, 0.03, 0.04, 0.05, 0.06, 0.07, 0.075, 0.08, 0.085, 0.09, 0.1])
settled, diverged = [], []
for mu in mus:
    curve = ensemble_error("LMS", {"Numerator Coeffs": N, "Mu Forward": mu}, make_run, 20)
    level = np.mean(curve[-500:])
    (settled if np.isfinite(level) and level < 1.0 else diverged).append((mu, level))
figure, axes = plt.subplots(figsize=(7.6, 4.4), dpi=110)
axes.set_title("LMS: excess error against the step size")
axes.set_ylabel("steady-state error (dB re 1)")
axes.grid(True, alpha=0.3)
axes.set_xlabel("μ·N·P  (P = 1, N = 8)")
steady = np.array(settled)
axes.plot(steady[:, 0] * N, db(steady[:, 1]), label="measured (20 runs)", **STYLES[0])
theory = np.linspace(mus[0], steady[-1, 0], 200) * N
axes.plot(theory, db(noise * (1 + theory / (1 - theory))), linestyle="--", color=STYLES[1]["color"],
          label="$J_{min}$·(1 + μNP / (1 − μNP))")
edge = diverged[0][0] * N if diverged else None
if edge is not None:
    axes.axvline(edge, color=STYLES[3]["color"], linestyle=":", linewidth=2,
                 label=f"diverged from μ·N·P = {edge:.2f} on")
floor(axes, noise)
axes.set_xlim(0.0, 0.7)
axes.set_ylim(-35, -5)
outside_legend(axes)
figures.save(figure, "lms-edge.png",
             "Steady-state squared a-priori error of LMS against μ·N·P (mean of the last 500 of 2000 samples, "
             "20 runs, in dB relative to the input power 1), with the small-step theory dashed. The error grows with μ and the filter diverges "
             "below μ·N·P = 1, the textbook bound: stay well below it.")

plot = LearningPlot(f"RLS1, N = {N}: forgetting factor λ (200 runs), Init = 1e-5", samples, (-35, 10))
for lam in [0.9, 0.98, 0.999]:
    excess = N * (1 - lam) / (1 + lam)
    plot.curve(ensemble_error("RLS1", {"Numerator Coeffs": N, "Lambda": lam}, make_run, 200),
               f"λ = {lam}: memory {1 / (1 - lam):.0f}, excess {db(1 + excess):.1f} dB")
plot.level(noise)
figures.save(plot.finish(), "rls-lambda.png",
             f"RLS1 learning curves for three forgetting factors, Init = 1e-5 (squared a-priori error "
             f"{plot.smoothing(200)}, dB relative to the input power 1). All converge within a few times N "
             "samples; a shorter memory (1/(1 − λ) samples) leaves more excess error, about N·(1 − λ)/(1 + λ) of "
             "the noise floor (both in the legend).")
figures.close()
