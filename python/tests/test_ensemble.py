"""Averaged learning curves: the same bits on any executor, the average of
the realisations their seeds make."""

import concurrent.futures

import numpy as np
import pytest

import adaptive_filters

PLANT = np.array([0.5, -0.3, 0.2, 0.1])
NLMS = ("NLMS", {"Numerator Coeffs": 4, "Mu Forward": 0.1})


def system_identification(seed):
    rng = np.random.default_rng(seed)
    x = rng.standard_normal(600)
    desired = np.convolve(x, PLANT)[:600] + 0.01 * rng.standard_normal(600)
    return np.column_stack([x, desired])


def test_the_curve_is_the_mean_of_the_realisations_of_the_seeds():
    curve = adaptive_filters.ensemble(*NLMS, system_identification, 3, first_seed=5, true_system=PLANT, points=12)
    squares = []
    for seed in (5, 6, 7):
        with adaptive_filters.Filter(*NLMS) as f:
            squares.append(f.process(system_identification(seed))[:, 1] ** 2)
    assert curve.mse_db.tobytes() == (10 * np.log10((squares[0] + squares[1] + squares[2]) / 3)).tobytes()
    assert curve.runs == 3 and curve.misalignment_at[0] == 1 and curve.misalignment_at[-1] == 600
    # Ends near the noise floor (0.01 against a plant of unit norm order).
    assert curve.misalignment_db[-1] < -30 < curve.misalignment_db[0]


def test_misalignment_of_every_channel_is_that_of_the_weights_history():
    plants = [np.array([0.5, -0.25]), np.array([0.3, 0.1, -0.2])]

    def two_inputs(seed):
        rng = np.random.default_rng(seed)
        x = rng.standard_normal((300, 2))
        return np.column_stack([x, np.convolve(x[:, 0], plants[0])[:300] + np.convolve(x[:, 1], plants[1])[:300]])

    parameters = {"Numerator Coeffs 1": 2, "Numerator Coeffs 2": 3, "Mu 1": 0.2, "Mu 2": 0.2}
    curve = adaptive_filters.ensemble("NLMS2", parameters, two_inputs, 2, true_system=plants, points=6)
    expected = 0.0
    for seed in (0, 1):
        with adaptive_filters.Filter("NLMS2", parameters) as f:
            _, history = f.process(two_inputs(seed), weights_every=1)
        expected += ((history[curve.misalignment_at - 1] - np.concatenate(plants)) ** 2).sum(1)
    expected /= 2 * np.sum(np.concatenate(plants) ** 2)
    np.testing.assert_allclose(curve.misalignment_db, 10 * np.log10(expected), rtol=1e-12)
    assert curve.misalignment_db[-1] < -40
    with pytest.raises(ValueError, match="true_system gives 1 channels; NLMS2 has 2"):
        adaptive_filters.ensemble("NLMS2", parameters, two_inputs, 1, true_system=[0.5, -0.25])


def test_refusals():
    with pytest.raises(ValueError, match="runs must be at least 1"):
        adaptive_filters.ensemble(*NLMS, system_identification, 0)
    with pytest.raises(ValueError, match='GenNLMS has no "PriError" output'):
        adaptive_filters.ensemble("GenNLMS", {}, lambda seed: np.zeros((10, 3)), 1)


def test_a_dask_cluster_gives_the_bits_of_threads():
    distributed = pytest.importorskip("distributed", reason="needs Dask's distributed (Debian: python3-distributed)")
    config = pytest.importorskip("dask").config
    threads = adaptive_filters.ensemble(*NLMS, system_identification, 4, true_system=PLANT, points=8,
                                executor=concurrent.futures.ThreadPoolExecutor(2))
    # Generous time-outs: a loaded machine may take long to start the workers.
    with config.set({"distributed.comm.timeouts.connect": "300s", "distributed.comm.timeouts.tcp": "300s"}), \
            distributed.LocalCluster(n_workers=2, threads_per_worker=1, dashboard_address=":0") as cluster, \
            distributed.Client(cluster, timeout="300s") as client:
        dask = adaptive_filters.ensemble(*NLMS, system_identification, 4, true_system=PLANT, points=8,
                                 executor=client.get_executor())
    assert dask.mse_db.tobytes() == threads.mse_db.tobytes()
    assert dask.misalignment_db.tobytes() == threads.misalignment_db.tobytes()
