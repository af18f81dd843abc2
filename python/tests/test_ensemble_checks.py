"""Realisations that do not fit and degenerate arguments of `ensemble`:
refused clearly, naming the seed that broke the average."""

import numpy as np
import pytest

import adaptive_filters

NLMS = ("NLMS", {"Numerator Coeffs": 4, "Mu Forward": 0.1})


def realisation(seed, samples=100):
    rng = np.random.default_rng(seed)
    return rng.standard_normal((samples, 2))


@pytest.mark.parametrize("broken, error, match", [
    (lambda: realisation(0, 1), ValueError, r"signals\(3\) gave 1 samples and signals\(0\) 100"),
    (lambda: realisation(0, 99), ValueError, r"signals\(3\) gave 99 samples and signals\(0\) 100"),
    (lambda: realisation(0, 0), ValueError, r"signals\(3\) must return .* at least one sample; its shape is \(0, 2\)"),
    (lambda: realisation(0)[:, :1], ValueError, r"signals\(3\) must return an array of shape \(samples, 2\)"),
    (lambda: realisation(0)[:, 0], ValueError, r"signals\(3\) .*its shape is \(100,\)"),
    (lambda: realisation(0) * 1j, TypeError, r"signals\(3\) must return real numbers; its dtype is complex128"),
    (lambda: [["a", "b"]] * 100, TypeError, r"signals\(3\) must return real numbers; its dtype is <U1"),
])
@pytest.mark.parametrize("true_system", [None, [0.5, -0.3]])
def test_a_realisation_of_another_shape_or_type_is_refused_naming_its_seed(broken, error, match, true_system):
    def signals(seed):
        return broken() if seed == 3 else realisation(seed)

    with pytest.raises(error, match=match):
        adaptive_filters.ensemble(*NLMS, signals, 5, true_system=true_system, points=5)


def test_degenerate_arguments_are_refused():
    with pytest.raises(ValueError, match="points must be at least 1, not 0"):
        adaptive_filters.ensemble(*NLMS, realisation, 2, true_system=[0.5], points=0)
    with pytest.raises(ValueError, match="true_system is all zeros"):
        adaptive_filters.ensemble(*NLMS, realisation, 2, true_system=[0.0, 0.0])
    with pytest.raises(ValueError, match="true_system is all zeros"):
        adaptive_filters.ensemble("NLMS2", {}, lambda seed: np.ones((10, 3)), 1, true_system=[[0.0], [0.0, 0.0]])
    with pytest.raises(ValueError, match=r"signals\(0\) must return .* at least one sample"):
        adaptive_filters.ensemble(*NLMS, lambda seed: np.zeros((0, 2)), 2, true_system=[0.5])


def test_one_sample_realisations_are_a_curve_of_one_sample():
    curve = adaptive_filters.ensemble(*NLMS, lambda seed: realisation(seed, 1), 3, true_system=[0.5], points=4)
    assert curve.mse_db.shape == (1,) and curve.misalignment_at.tolist() == [1]
