"""Noise cancellation on the example recording: two reference microphones
(a fan and a mains hum at their sources) and a primary microphone that hears
a signal through both noises. The filter's PriError is the cleaned signal."""
import os
import subprocess
import tempfile
import wave

import numpy as np

from textbook import STYLES, Figures, db, learning_axes, legend_below

import adaptive


def read_wav(path):
    """Samples of a 16-bit PCM file as floats in [-1, 1), one column per channel, and the rate."""
    with wave.open(path) as sound:
        frames = np.frombuffer(sound.readframes(sound.getnframes()), dtype="<i2")
        return frames.reshape(-1, sound.getnchannels()) / 32768.0, sound.getframerate()


build = os.environ.get("ADAPTIVE_BUILD_DIR", os.path.join(os.path.dirname(__file__), "..", "..", "build"))
with tempfile.TemporaryDirectory() as recordings:
    subprocess.run([os.path.join(build, "adaptsim", "adaptsim"), "examples", recordings], check=True,
                   stdout=subprocess.DEVNULL)
    noisy, rate = read_wav(os.path.join(recordings, "noisy.wav"))
    clean, _ = read_wav(os.path.join(recordings, "clean.wav"))
clean = clean[:, 0]

lengths = {"Numerator Coeffs  1": 8, "Numerator Coeffs  2": 8}
cleaned = {}
for token, parameters, label in [
    ("NLMS2", {**lengths, "Mu 1": 0.005, "Mu 2": 0.005}, "NLMS2, μ = 0.005 per channel"),
    ("RLS2", lengths, "RLS2, λ = 0.999, Init = 1e-5"),
]:
    with adaptive.Filter(token, parameters) as f:
        cleaned[label] = f.process(noisy)[:, f.outputs.index("PriError")]

window = rate // 10  # 0.1 s


def short_time_power(signal):
    usable = len(signal) // window * window
    return np.mean(signal[:usable].reshape(-1, window) ** 2, axis=1)


signal_power = np.mean(clean**2)
seconds = (np.arange(len(noisy) // window) + 0.5) * window / rate
figures = Figures()
figure, axes = learning_axes(
    "Noise left in the primary signal", ylabel="noise power (dB relative to the signal's)")
axes.set_xlabel("time (s)")
axes.plot(seconds, db(short_time_power(noisy[:, 2] - clean) / signal_power), label="before: primary − signal",
          **STYLES[3])
for style, (label, output) in zip(STYLES, cleaned.items()):
    axes.plot(seconds, db(short_time_power(output - clean) / signal_power), label=f"after {label}", **style)
axes.axhline(0.0, color="black", linestyle="--", linewidth=1, label="signal power (0 dB)")
legend_below(axes)
figures.save(figure, "cancellation.png",
             f"Power of the noise left in the cleaned signal (PriError minus the clean signal) in 0.1 s windows "
             f"of the one recording ({len(noisy) / rate:.0f} s at {rate} Hz), in dB relative to the clean "
             "signal's power. Both filters have 8 coefficients per reference channel; RLS2 removes more and "
             "sooner.")
figures.close()
