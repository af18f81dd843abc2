"""The families beyond the catalogue from Python: each does on its own ground
what it is for, against NLMS with the same step size."""

import numpy as np

import adaptive_filters

N, SAMPLES = 64, 1500


def misalignment(token, parameters, x, d, h):
    with adaptive_filters.Filter(token, parameters) as f:
        f.process(np.column_stack([x, d]))
        w = f.weights[0]
    return np.sum((np.asarray(w) - h) ** 2) / np.sum(h**2)


def identification(rng, x, active):
    h = np.zeros(N)
    h[rng.choice(N, active, replace=False)] = rng.standard_normal(active)
    return h, np.convolve(x, h)[: len(x)] + 1e-3 * rng.standard_normal(len(x))


def test_ipnlms_learns_a_sparse_path_faster_than_nlms():
    rng = np.random.default_rng(35)
    x = rng.standard_normal(400)
    h, d = identification(rng, x, 4)
    nlms = misalignment("NLMS", {"Numerator Coeffs": N, "Mu Forward": 0.25}, x, d, h)
    ipnlms = misalignment("IPNLMS", {"Numerator Coeffs": N, "Mu": 0.25, "Alpha": -0.5}, x, d, h)
    assert ipnlms < 0.3 * nlms, (ipnlms, nlms)


def test_affine_projection_learns_from_coloured_input_faster_than_nlms():
    rng = np.random.default_rng(36)
    x = np.zeros(SAMPLES)
    v = rng.standard_normal(SAMPLES)
    for n in range(1, SAMPLES):
        x[n] = 0.95 * x[n - 1] + v[n]
    h, d = identification(rng, x, N)
    nlms = misalignment("NLMS", {"Numerator Coeffs": N, "Mu Forward": 0.25}, x, d, h)
    ap = misalignment("AP", {"Numerator Coeffs": N, "Projection Order": 4, "Mu": 0.25}, x, d, h)
    assert ap < 0.1 * nlms, (ap, nlms)
