"""The package's interface: catalogue, errors, shapes, closing, feedback use."""

import threading
import time

import numpy as np
import pytest

import adaptive


def test_catalogue_lists_every_token_with_ports_parameters_and_facts():
    tokens = {t["name"]: t for t in adaptive.tokens()}
    assert len(tokens) == 24
    rls3 = tokens["RLS3"]
    assert rls3["inputs"] == ["Input 1", "Input 2", "Input 3", "Desired"]
    assert rls3["outputs"] == ["Output", "PriError", "PostError"]
    assert list(rls3["parameters"]) == ["Numerator Coeffs  1", "Numerator Coeffs  2", "Numerator Coeffs  3",
                                        "Lambda", "Init"]
    assert rls3["parameters"]["Lambda"] == 0.999 and rls3["parameters"]["Init"] == 0.00001
    assert (rls3["family"], rls3["channels"], rls3["general"]) == ("RLS", 3, False)
    assert (tokens["GenLMS_A"]["family"], tokens["GenLMS_A"]["general"]) == ("general gradient", True)
    assert (tokens["GenRW"]["family"], tokens["GenRW"]["channels"]) == ("random walk", 1)
    assert tokens["QR2"]["outputs"][-1] == "Gamma" and tokens["LMS"]["default_weights"] == "lms.txt"


@pytest.mark.parametrize("token,parameters,status,text", [
    ("RLS9", {}, 1, "RLS9"),
    ("RLS1", {"Lamda": 0.9}, 1, '"Numerator Coeffs", "Lambda", "Init"'),
    ("RLS1", {"Lambda": 1.5}, 1, "Improper forgetting factor of Adaptive Filter.\nMust be between 0 and 1..."),
    ("LMS2", {"Numerator Coeffs  1": 0}, 1, "Improper length of Adaptive Filter."),
])
def test_refusals_raise_error_with_status_and_message(token, parameters, status, text):
    with pytest.raises(adaptive.Error) as refused:
        adaptive.Filter(token, parameters)
    assert refused.value.status == status
    assert text in str(refused.value)


def test_unopenable_weights_file_is_refused(tmp_path):
    with pytest.raises(adaptive.Error) as refused:
        adaptive.Filter("NLMS", weights=tmp_path / "missing" / "w.txt")
    assert refused.value.status == 1 and "Problems opening" in str(refused.value)


@pytest.mark.parametrize("x,complaint", [
    (np.zeros((4, 3)), "shape is (4, 3)"),
    (np.zeros(2), "shape is (2,)"),
    (np.zeros((4, 2), dtype=np.float32), "dtype is float32"),
    (np.zeros((4, 2), dtype=np.int64), "dtype is int64"),
    ([[0.0, 0.0]], "not <class 'list'>"),
])
def test_wrong_arrays_raise_value_error_saying_what_was_expected(x, complaint):
    with adaptive.Filter("NLMS") as f:
        with pytest.raises(ValueError, match=r"float64 NumPy array of shape \(samples, 2\)") as refused:
            f.process(x)
        assert complaint in str(refused.value)
        with pytest.raises(ValueError, match=r"shape \(2,\)"):
            f.step(np.zeros(3))


def test_non_contiguous_input_gives_the_same_outputs():
    x = np.random.default_rng(1).standard_normal((2, 300)).T  # Fortran order
    with adaptive.Filter("NLMS") as a, adaptive.Filter("NLMS") as b:
        assert a.process(x).tobytes() == b.process(np.ascontiguousarray(x)).tobytes()


def test_close_writes_weights_once_and_ends_the_filter(tmp_path):
    weights = tmp_path / "w.txt"
    with adaptive.Filter("RLS2", {"Numerator Coeffs  1": 2, "Numerator Coeffs  2": 1}, weights=str(weights)) as f:
        f.process(np.ones((10, 3)))
        assert not (tmp_path / "w1.txt").read_text()  # written at close, not before
    assert f.closed
    assert (tmp_path / "w1.txt").read_text().startswith("Numerator Coefficients =2\n")
    assert (tmp_path / "w2.txt").read_text().startswith("Numerator Coefficients =1\n")
    f.close()  # nothing more
    with pytest.raises(RuntimeError, match="closed"):
        f.process(np.ones((1, 3)))


def test_general_token_in_a_feedback_loop_identifies_a_plant(tmp_path):
    # The diagram: "Error" = desired - Output, through one sample of delay.
    plant = np.array([0.6, 0.3, -0.2, 0.1])
    rng = np.random.default_rng(5)
    x = rng.standard_normal(3000)
    desired = np.convolve(x, plant)[: len(x)]
    error = 0.0
    errors = []
    with adaptive.Filter("GenRLS", {"Numerator Coeffs": 4}, weights=tmp_path / "genrls.txt") as f:
        for n in range(len(x)):
            (output,) = f.step(np.array([x[n], error]))
            error = desired[n] - output
            errors.append(error)
    assert max(abs(e) for e in errors[-100:]) < 1e-6
    lines = (tmp_path / "genrls.txt").read_text().splitlines()
    assert lines[0] == "Numerator Coefficients =4"
    np.testing.assert_allclose([float(v) for v in lines[1:5]], plant, atol=1e-6)


def test_filters_on_threads_compute_what_they_compute_alone():
    x = np.random.default_rng(9).standard_normal((20000, 2))

    def run():
        with adaptive.Filter("RLS1", {"Numerator Coeffs": 8}) as f:
            return f.process(x)

    alone = run()
    results = [None] * 4

    def worker(k):
        results[k] = run()

    threads = [threading.Thread(target=worker, args=(k,)) for k in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert all(r.tobytes() == alone.tobytes() for r in results)


def test_process_lets_other_threads_run():
    # This thread keeps ticking while another runs a long process call: had the
    # call held the GIL, the longest pause between ticks would span the call.
    x = np.random.default_rng(2).standard_normal((1_000_000, 2))
    window = []

    def work():
        with adaptive.Filter("RLS1", {"Numerator Coeffs": 10}) as f:
            start = time.perf_counter()
            f.process(x)
            window.extend([start, time.perf_counter()])

    worker = threading.Thread(target=work)
    ticks = []
    worker.start()
    while worker.is_alive():
        ticks.append(time.perf_counter())
    worker.join()
    start, end = window
    during = [start] + [t for t in ticks if start < t < end] + [end]
    longest = max(b - a for a, b in zip(during, during[1:]))
    assert longest < 0.5 * (end - start), f"paused {longest:.3f} s of a {end - start:.3f} s process call"
