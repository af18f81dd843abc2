"""Acoustic echo cancellation over a 4096-tap room response (256 ms at
16 kHz): speech from espeak-ng as the far end, the echo of it through the
room plus a faint near-end noise as the microphone. NLMS against PBFDAF
(constrained, unconstrained, constrained in turn) and FDAF: the echo return
loss enhancement and the misalignment against time, and what each costs per
second of audio."""
import os
import subprocess
import tempfile
import time
import wave

import numpy as np

import adaptive_filters
from textbook import STYLES, Figures, db, outside_legend, plt

RATE, TAPS, BLOCK = 16000, 4096, 256
TEXT = ("An echo canceller hears the far end through the loudspeaker, the room and the microphone, "
        "and takes the estimate of that echo away before the near end's voice goes back down the line. "
        "A long room needs thousands of taps.")


def speech():
    """TEXT spoken by espeak-ng, resampled from its 22 050 Hz to 16 kHz (by
    the discrete Fourier transform), at a power of 0.01."""
    with tempfile.TemporaryDirectory() as work:
        path = os.path.join(work, "far.wav")
        subprocess.run(["espeak-ng", "-v", "en", "-s", "160", "-w", path, TEXT], check=True, capture_output=True)
        with wave.open(path) as recording:
            rate = recording.getframerate()
            x = np.frombuffer(recording.readframes(recording.getnframes()), dtype="<i2").astype(float)
    spectrum = np.fft.rfft(x)
    length = int(round(len(x) * RATE / rate))
    x = np.fft.irfft(spectrum[: length // 2 + 1], length) * (length / len(x))
    return x * np.sqrt(0.01 / np.mean(x**2))


def room(seed=7):
    """Noise decaying by 60 dB over the taps, of total gain 0.5 in power."""
    h = np.random.default_rng(seed).standard_normal(TAPS) * 10.0 ** (-3.0 * np.arange(TAPS) / TAPS)
    return h * np.sqrt(0.5 / np.sum(h**2))


x = speech()
h = room()
echo = np.convolve(x, h)[: len(x)]
d = echo + np.sqrt(1e-7) * np.random.default_rng(3).standard_normal(len(x))  # near-end noise, -50 dB re the echo
inputs = np.column_stack([x, d])
seconds = len(x) / RATE
every = RATE // 10  # coefficients recorded every 0.1 s
power = 2 * BLOCK * np.mean(x**2)  # the power of one bin of a 2L-point transform of the far end

spectral = {"Averaging": 0.9, "Delta": 0.2 * power}
filters = [
    ("NLMS", {"Numerator Coeffs": TAPS, "Mu Forward": 0.25}, 0, "NLMS, μ = 0.25"),
    ("PBFDAF", {"Numerator Coeffs": TAPS, "Block Length": BLOCK, "Mu": 0.04, "Constrained": 1, **spectral}, BLOCK,
     f"PBFDAF, L = {BLOCK}, constrained"),
    ("PBFDAF", {"Numerator Coeffs": TAPS, "Block Length": BLOCK, "Mu": 0.04, "Constrained": 0, **spectral}, BLOCK,
     f"PBFDAF, L = {BLOCK}, unconstrained"),
    ("PBFDAF", {"Numerator Coeffs": TAPS, "Block Length": BLOCK, "Mu": 0.04, "Constrained": 2, **spectral}, BLOCK,
     f"PBFDAF, L = {BLOCK}, one partition in turn"),
    ("FDAF", {"Numerator Coeffs": TAPS, "Mu": 0.1, "Averaging": 0.9, "Delta": 0.2 * power * TAPS / BLOCK}, TAPS,
     f"FDAF, N = {TAPS}, constrained"),
]

window = RATE // 4  # ERLE over quarter seconds
runs = []
for token, parameters, latency, label in filters:
    with adaptive_filters.Filter(token, parameters) as f:
        started = time.process_time()
        out, history = f.process(inputs, weights_every=every)
        cost = (time.process_time() - started) / seconds
        runs.append((out[latency:, f.outputs.index("PriError")], history, cost, label))

figures = Figures()
figure, (erle_axes, misalignment_axes) = plt.subplots(2, 1, figsize=(8.5, 7), sharex=True)
for k, (e, history, cost, label) in enumerate(runs):
    aligned = echo[: len(e)]
    frames = len(e) // window
    erle = db(np.sum(aligned[: frames * window].reshape(frames, window) ** 2, axis=1) /
              np.sum(e[: frames * window].reshape(frames, window) ** 2, axis=1))
    style = STYLES[k % len(STYLES)]
    legend = f"{label}; {1000 * cost:.0f} ms per s of audio"
    erle_axes.plot((np.arange(frames) + 0.5) * window / RATE, erle, label=legend, markevery=4, **style)
    misalignment = db(np.sum((history - h) ** 2, axis=1) / np.sum(h**2))
    misalignment_axes.plot(np.arange(1, len(history) + 1) * every / RATE, misalignment, label=legend, markevery=8,
                           **style)
erle_axes.set_ylabel("ERLE over 0.25 s (dB)")
erle_axes.set_title(f"Echo cancellation, {TAPS}-tap room at {RATE // 1000} kHz, espeak-ng speech as the far end")
misalignment_axes.set_ylabel("misalignment ‖w − h‖² / ‖h‖² (dB)")
misalignment_axes.set_xlabel("time (s)")
for axes in (erle_axes, misalignment_axes):
    axes.grid(True, alpha=0.3)
outside_legend(erle_axes)
figures.save(figure, "echo.png",
             f"Echo return loss enhancement (the residual's power in dB relative to the echo's, negated: each "
             f"quarter second, the residual aligned with the echo it belongs to: FDAF and PBFDAF give it {TAPS} "
             f"and {BLOCK} samples late) and misalignment of the coefficients (‖w − h‖² in dB relative to ‖h‖², "
             f"h the room's {TAPS} taps, recorded every 0.1 s), over {seconds:.1f} s of speech spoken by "
             "espeak-ng, with near-end noise 50 dB below the echo. The legend gives each filter's CPU time per "
             "second of audio through adaptive_filters.Filter.process, measured when this manual was built. "
             "NLMS has one step size for a spectrum that spans some 40 dB, and costs 2N multiply-adds per "
             "sample; the frequency-domain filters give each bin its own step (2μ/(P(f) + δ), μ = 0.04 for "
             "PBFDAF and 0.1 for FDAF, β = 0.9, δ a fifth of the far end's mean bin power) at the cost of a "
             "few transforms per block, and PBFDAF pulls ahead within seconds. The unconstrained PBFDAF lets "
             "the wrapped-around half of each partition grow and converges to a poorer filter; constraining "
             "every partition costs two transforms per partition and block, constraining one partition per "
             f"block in turn two per block, and keeps the constrained filter's progress. FDAF adapts once per "
             f"{TAPS} samples, a few dozen times in all, and trails.")
figures.close()
