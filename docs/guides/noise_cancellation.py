"""Noise cancellation on the example recording: two reference microphones
(a fan and a mains hum at their sources) and a primary microphone that hears
a signal through both noises. The filter's PriError is the cleaned signal."""
import os
import subprocess
import tempfile
import wave

import numpy as np

from textbook import Figures, LearningPlot, db

import adaptive_filters


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
    ("NLMS2", {**lengths, "Mu 1": 0.005, "Mu 2": 0.005}, "NLMS2 (μ = 0.005)"),
    ("RLS2", lengths, "RLS2 (λ = 0.999)"),
]:
    with adaptive_filters.Filter(token, parameters) as f:
        cleaned[label] = f.process(noisy)[:, f.outputs.index("PriError")]

noise_before = noisy[:, 2] - clean
steady = slice(len(clean) * 3 // 4, None)  # the steady part: the last quarter
figures = Figures()
plot = LearningPlot("Noise cancellation of the example recording", len(clean), (-100, 0),
                    ylabel="power (dB re full scale)")
plot.curve(noisy[:, 2] ** 2, "Desired (primary microphone)")
plot.curve(noise_before**2, "noise in Desired")
for label, output in cleaned.items():
    reduction = db(np.mean(noise_before[steady] ** 2)) - db(np.mean((output - clean)[steady] ** 2))
    plot.curve((output - clean) ** 2, f"left by {label}: {reduction:.1f} dB less")
plot.level(np.mean(clean**2), "wanted signal's power")
plot.quantisation_floor()
figures.save(plot.finish(), "cancellation.png",
             f"Power of the primary microphone's signal (Desired), of the noise in it and of the noise left in "
             f"the cleaned signal (PriError minus the clean signal) in the one recording ({len(noisy) / rate:.0f} s "
             f"at {rate} Hz), {plot.smoothing()}, in dB relative to full "
             "scale (samples from −1 to 1). The legend gives each filter's noise reduction over the last quarter "
             "of the samples. Both filters have 8 coefficients per reference channel and start from zero; NLMS2 "
             "adapts with μ = 0.005 per channel, RLS2 with λ = 0.999 and Init = 1e-5; "
             "RLS2 removes more and sooner.")
figures.close()
