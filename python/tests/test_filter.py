"""The package's interface: catalogue, errors, shapes, closing, feedback use."""

import doctest
import importlib.metadata
import os
import re
import signal
import threading
from pathlib import Path

import numpy as np
import pytest

import adaptive_filters
from conftest import sigint_handler


def test_catalogue_lists_every_token_with_ports_parameters_and_facts():
    listed = adaptive_filters.tokens()
    tokens = {t["name"]: t for t in listed}
    # The catalogue's 24 first, then the families beyond it, in a group of their own.
    assert [t["in_catalogue"] for t in listed] == [True] * 24 + [False] * (len(listed) - 24)
    assert (tokens["AP"]["family"], tokens["IPNLMS"]["family"], tokens["SSLMS"]["family"]) == \
        ("affine projection", "proportionate NLMS", "sign LMS")
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
    # Which parameter and why, before the library's own words.
    ("LMS", {"numerator coeffs": 2**31}, 1,
     '"Numerator Coeffs" = 2147483648 does not fit a 32-bit count: Improper length of Adaptive Filter.'),
    ("RLS1", {"Numerator Coeffs": 1e5}, 1002,
     "RLS1 with 100000 taps needs 80 GB for P: Memory (s_) allocation error."),
])
def test_refusals_raise_error_with_status_and_message(token, parameters, status, text):
    with pytest.raises(adaptive_filters.Error) as refused:
        adaptive_filters.Filter(token, parameters)
    assert refused.value.status == status
    assert text in str(refused.value)


def test_names_match_in_any_case_with_any_run_of_blanks():
    with adaptive_filters.Filter("rls3", {"numerator coeffs 2": 4, "LAMBDA": 0.5}) as f:
        assert f.token == "RLS3"
        assert f.parameters["Numerator Coeffs  2"] == 4 and f.parameters["Lambda"] == 0.5


@pytest.mark.filterwarnings("ignore::RuntimeWarning")  # the recursive NLMS and NEW diverge here
@pytest.mark.parametrize("token", [t["name"] for t in adaptive_filters.tokens()])
def test_weights_are_the_final_weights_files_and_their_history(tmp_path, token):
    info = next(t for t in adaptive_filters.tokens() if t["name"] == token)
    parameters = {name: 3 for name in info["parameters"] if name.startswith(("Numerator", "Denominator", "Block Length"))}
    if "Projection Order" in info["parameters"]:
        parameters["Projection Order"] = 2  # at most the length
    x = np.random.default_rng(3).uniform(-0.5, 0.5, (90, len(info["inputs"])))
    x[:, [k for k, name in enumerate(info["inputs"]) if name == "Error"]] *= 0.05
    with adaptive_filters.Filter(token, parameters, weights=tmp_path / "w.txt") as f:
        _, history = f.process(x, weights_every=30)
        weights = f.weights
    files = ["w.txt"] if len(weights) == 1 else [f"w{c}.txt" for c in range(1, len(weights) + 1)]
    assert len(files) == info["channels"]
    for w, name in zip(weights, files):
        # The file's numbers, its denominator's leading 1 aside, are these values formatted.
        text = [v for v in (tmp_path / name).read_text().splitlines() if v not in ("", "1") and "=" not in v]
        assert text == [f"{v:20.15E}" for v in w] and np.any(w != 0)
        np.testing.assert_allclose([float(v) for v in text], w, rtol=6.2e-16, atol=0)  # half the 16th digit
    assert history.shape == (3, sum(len(w) for w in weights))
    assert history[-1].tobytes() == np.concatenate(weights).tobytes()


def test_weights_history_refuses_what_is_not_a_count():
    with adaptive_filters.Filter("NLMS") as f:
        for every, error in ((0, ValueError), (2.0, TypeError)):
            with pytest.raises(error, match=f"weights_every must be .*, not {every!r}|an int"):
                f.process(np.ones((4, 2)), weights_every=every)
        _, history = f.process(np.ones((4, 2)), weights_every=10**30)
        assert history.shape == (0, 10) and f.samples == 4


def test_unopenable_weights_file_is_refused(tmp_path):
    with pytest.raises(adaptive_filters.Error) as refused:
        adaptive_filters.Filter("NLMS", weights=tmp_path / "missing" / "w.txt")
    assert refused.value.status == 1 and "Problems opening" in str(refused.value)


def test_array_likes_give_the_bits_of_their_float64_form():
    rng = np.random.default_rng(1)
    x = np.round(rng.standard_normal((300, 2)) * 64)  # exact in every dtype below
    forms = [x.tolist(), x.astype(np.float32), x.astype(np.int16), x.astype(">f8"),
             np.asfortranarray(x), np.repeat(x, 2, axis=0)[::2], x.astype(bool)]
    for form in forms:
        reference = np.asarray(form, dtype=np.float64)
        with adaptive_filters.Filter("NLMS") as a, adaptive_filters.Filter("NLMS") as b:
            assert a.process(form).tobytes() == b.process(np.ascontiguousarray(reference)).tobytes()
    with adaptive_filters.Filter("NLMS") as a, adaptive_filters.Filter("NLMS") as b:
        assert a.step([1, 2]).tobytes() == b.step(np.array([1.0, 2.0])).tobytes()


@pytest.mark.parametrize("x,error,complaint", [
    (np.zeros((4, 3)), ValueError, "shape is (4, 3)"),
    (np.zeros(2), ValueError, "shape is (2,)"),  # one sample is never guessed: step() takes it
    ([[0.0, 0.0], [0.0]], ValueError, "NumPy cannot make an array of it"),
    ([["a", "b"]], TypeError, "dtype is <U1 (from list)"),
    (np.zeros((4, 2), dtype=complex), TypeError, "dtype is complex128"),
    ([[None, 1.0]], TypeError, "dtype is object"),
])
def test_wrong_arrays_are_refused_saying_what_was_expected(x, error, complaint):
    with adaptive_filters.Filter("NLMS") as f:
        with pytest.raises(error, match=r"x must be an array of real numbers of shape \(samples, 2\)") as refused:
            f.process(x)
        assert complaint in str(refused.value)
        with pytest.raises(ValueError, match=r"row must be an array of real numbers of shape \(2,\); its shape is \(1, 2\)"):
            f.step([[1.0, 2.0]])
        assert f.samples == 0


@pytest.mark.parametrize("value,error,complaint", [
    ("0.5", TypeError, 'parameter "Mu Forward" of NLMS must be a number (int, float, bool or a NumPy scalar), not str'),
    (None, TypeError, "not NoneType"),
    (1j, TypeError, "not complex"),
    (np.array([0.5]), TypeError, "not ndarray"),
    (10**400, ValueError, 'parameter "Mu Forward" of NLMS is too large for a float'),
])
def test_parameter_values_that_are_not_numbers_are_refused_by_name(value, error, complaint):
    with pytest.raises(error) as refused:
        adaptive_filters.Filter("NLMS", {"Mu Forward": value})
    assert complaint in str(refused.value)


def test_parameter_values_take_every_kind_of_real_number():
    given = {"Numerator Coeffs": np.int64(3), "Mu Forward": np.float32(0.25), "Leakage Forward": True,
             "Denominator Coeffs": 2, "Mu Backward": np.float64(0.125)}
    with adaptive_filters.Filter("LMS", given) as f:
        assert f.parameters == {"Numerator Coeffs": 3.0, "Mu Forward": 0.25, "Leakage Forward": 1.0,
                                "Denominator Coeffs": 2.0, "Mu Backward": 0.125, "Leakage Backward": 1.0}
    for wrong, complaint in [(["Mu"], "parameters must be a dict"), ({1: 0.5}, "parameter names are str, not int")]:
        with pytest.raises(TypeError, match=complaint):
            adaptive_filters.Filter("LMS", wrong)
    with pytest.raises(TypeError, match="weights must be a file name"):
        adaptive_filters.Filter("LMS", weights=b"w.txt")


def test_repr_and_version():
    f = adaptive_filters.Filter("RLS2")
    assert repr(f) == ("<adaptive_filters.Filter RLS2 ['Input 1', 'Input 2', 'Desired'] -> ['Output', 'PriError', 'PostError'], "
                       "open, 0 samples run>")
    f.process(np.ones((5, 3)))
    assert "open, 5 samples run>" in repr(f)
    f.close()
    assert repr(f).endswith("-> ['Output', 'PriError', 'PostError'], closed>")
    cmake = (Path(__file__).resolve().parents[2] / "CMakeLists.txt").read_text()
    assert adaptive_filters.__version__ == re.search(r"project\(adaptive VERSION ([0-9.]+)", cmake).group(1)
    try:
        assert importlib.metadata.version("adaptive-filters") == adaptive_filters.__version__
    except importlib.metadata.PackageNotFoundError:
        pass  # the build tree's package, not installed


def test_close_writes_weights_once_and_ends_the_filter(tmp_path):
    weights = tmp_path / "w.txt"
    with adaptive_filters.Filter("RLS2", {"Numerator Coeffs  1": 2, "Numerator Coeffs  2": 1}, weights=str(weights)) as f:
        f.process(np.ones((10, 3)))
        assert not (tmp_path / "w1.txt").read_text()  # written at close, not before
    assert f.closed
    assert (tmp_path / "w1.txt").read_text().startswith("Numerator Coefficients =2\n")
    assert (tmp_path / "w2.txt").read_text().startswith("Numerator Coefficients =1\n")
    f.close()  # nothing more
    with pytest.raises(ValueError, match="the RLS2 filter is closed"):
        f.process(np.ones((1, 3)))


def test_general_token_in_a_feedback_loop_identifies_a_plant(tmp_path):
    # The diagram: "Error" = desired - Output, through one sample of delay.
    plant = np.array([0.6, 0.3, -0.2, 0.1])
    rng = np.random.default_rng(5)
    x = rng.standard_normal(3000)
    desired = np.convolve(x, plant)[: len(x)]
    error = 0.0
    errors = []
    with adaptive_filters.Filter("GenRLS", {"Numerator Coeffs": 4}, weights=tmp_path / "genrls.txt") as f:
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
        with adaptive_filters.Filter("RLS1", {"Numerator Coeffs": 8}) as f:
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
    # Another thread waits to see samples counted while the call runs, then
    # interrupts it. Had the call held the GIL, that thread could not run
    # before the call had ended, and the call would end uninterrupted.
    x = np.random.default_rng(2).standard_normal((2_000_000, 2))
    f = adaptive_filters.Filter("RLS1", {"Numerator Coeffs": 10})
    running = threading.Event()

    def handler(signum, frame):
        if running.is_set():
            running.clear()
            raise KeyboardInterrupt

    def watch():
        while f.samples == 0 and running.is_set():
            pass
        if running.is_set():
            os.kill(os.getpid(), signal.SIGINT)

    with sigint_handler(handler):
        running.set()
        watcher = threading.Thread(target=watch)
        watcher.start()
        try:
            with pytest.raises(KeyboardInterrupt) as interrupted:
                f.process(x)
        finally:
            running.clear()
            watcher.join()
    assert 0 < interrupted.value.samples_done < len(x)
    f.close()


def test_the_docstring_examples_run():
    finder = doctest.DocTestFinder()
    runner = doctest.DocTestRunner()
    for test in finder.find(adaptive_filters.Filter, "Filter", globs={"adaptive_filters": adaptive_filters}):
        runner.run(test)
    result = runner.summarize(verbose=False)
    assert result.attempted > 0 and result.failed == 0
