"""Sparse echo paths: NLMS, affine projection (K = 2, 4, 8) and proportionate
NLMS identify a 512-tap echo path of which 64 taps are active, driven by
white noise, by an AR(1) process and by speech that espeak-ng synthesises."""
import os
import subprocess
import tempfile
import wave

import numpy as np

from textbook import Figures, LearningPlot, ensemble_misalignment, fir

N, active, delay = 512, 64, 96  # the path: 64 active taps after a bulk delay of 96 samples
snr_db = 30.0  # echo power over the power of the noise added to it
samples, runs, every = 32000, 4, 8  # the coefficients recorded every 8 samples
mu = 0.25  # every filter's "Mu" (textbook step 2μ = 0.5)
# The regularisations at the size of the background noise of the speech
# (power 1e-3): AP's δ near the noise energy of a window of N samples,
# IPNLMS's near its power (its gains add up to about 1). Negligible for the
# white and AR(1) inputs, they keep the pauses of speech from steering the
# filters by the noise alone.
ap_delta, ipnlms_delta = 1.0, 1e-3

path_rng = np.random.default_rng(512)
h = np.zeros(N)
h[delay : delay + active] = path_rng.standard_normal(active) * np.exp(-np.arange(active) / 12.0)
h /= np.linalg.norm(h)


def speech():
    """A few sentences spoken by espeak-ng, as floats of unit power."""
    text = ("Adaptive filters cancel the echo of a telephone line by learning its impulse response. "
            "Speech is a difficult input: its spectrum is coloured and its power changes from one "
            "syllable to the next, with pauses between the words. The affine projection algorithm "
            "and proportionate updates were made for exactly this situation.")
    with tempfile.TemporaryDirectory() as folder:
        name = os.path.join(folder, "speech.wav")
        subprocess.run(["espeak-ng", "-s", "150", "-w", name, text], check=True, capture_output=True)
        with wave.open(name) as recording:
            pcm = np.frombuffer(recording.readframes(recording.getnframes()), dtype=np.int16)
    voice = pcm.astype(float)
    return voice / np.sqrt(np.mean(voice**2))


def white(rng):
    return rng.standard_normal(samples)


def ar1(rng, pole=0.9):
    v = rng.standard_normal(samples) * np.sqrt(1 - pole**2)
    x = np.zeros(samples)
    for n in range(samples):
        x[n] = pole * (x[n - 1] if n else 0.0) + v[n]
    return x


voice = speech()


def spoken(rng):
    """A stretch of the speech with the far end's background noise, 30 dB
    below it, which keeps the pauses from being silent."""
    start = rng.integers(0, len(voice) - samples)
    return voice[start : start + samples] + np.sqrt(1e-3) * rng.standard_normal(samples)


def runs_of(source):
    def make_run(seed):
        rng = np.random.default_rng(seed)
        x = source(rng)
        echo = fir(h, x)
        noise = rng.standard_normal(samples) * np.sqrt(np.mean(echo**2) * 10 ** (-snr_db / 10))
        return np.column_stack([x, echo + noise])

    return make_run


filters = [
    ("NLMS", {"Numerator Coeffs": N, "Mu Forward": mu}, "NLMS"),
    ("AP", {"Numerator Coeffs": N, "Projection Order": 2, "Mu": mu, "Delta": ap_delta}, "AP, K = 2"),
    ("AP", {"Numerator Coeffs": N, "Projection Order": 4, "Mu": mu, "Delta": ap_delta}, "AP, K = 4"),
    ("AP", {"Numerator Coeffs": N, "Projection Order": 8, "Mu": mu, "Delta": ap_delta}, "AP, K = 8"),
    ("IPNLMS", {"Numerator Coeffs": N, "Mu": mu, "Delta": ipnlms_delta}, "IPNLMS, α = −0.5"),
]
inputs = [
    (white, "white", "white", "white noise of power 1"),
    (ar1, "ar1", "AR(1)", "an AR(1) process x(n) = 0.9·x(n−1) + v(n) of power 1"),
    (spoken, "speech", "spoken", "speech synthesised by espeak-ng (22.05 kHz, scaled to power 1, a random "
     f"{samples}-sample stretch per run) with white background noise 30 dB below it"),
]
figures = Figures()
for source, name, title, words in inputs:
    plot = LearningPlot(f"Sparse echo path, {title} input ({runs} runs)", samples, (-35, 5),
                        ylabel="misalignment ‖w(n) − h‖² / ‖h‖² (dB)")
    for token, parameters, label in filters:
        plot.curve(ensemble_misalignment(token, parameters, runs_of(source), h, runs, every), label)
    figures.save(plot.finish(), f"echo_{name}.png",
                 f"Misalignment ‖w(n) − h‖² / ‖h‖² after each sample, in dB relative to ‖h‖², "
                 f"{plot.smoothing(runs)}: an echo path of {N} taps of which "
                 f"{active} (after a delay of {delay}) are active, decaying, driven by {words}, the echo "
                 f"{snr_db:.0f} dB above the added noise. Every filter has N = {N} and Mu = {mu} (the 2μ "
                 f"convention: textbook step 0.5); AP Delta = {ap_delta:g}, IPNLMS Delta = {ipnlms_delta:g} "
                 "(about the background noise of the speech in a window), IPNLMS α = −0.5 and ε = 1e-6, NLMS its "
                 f"fixed δ = 1e-8. The coefficients are recorded every {every} samples.")
figures.close()
