"""A filter used from inside its own call (a signal handler or a warnings
hook, which run between its samples), signals while waiting for a busy
filter, and how soon process first looks for Ctrl-C. Every signal here is
raised by the test's own thread at a point the test chooses, so no outcome
depends on timing."""

import contextlib
import signal
import threading
import warnings

import numpy as np
import pytest

import adaptive_filters

# NLMS3 at its defaults diverges (three step sizes of 0.5 add up), so it warns
# once, between two chunks of process.
DIVERGING = np.random.default_rng(6).standard_normal((3000, 4))


@contextlib.contextmanager
def handler(signum, function):
    previous = signal.signal(signum, function)
    try:
        yield
    finally:
        signal.signal(signum, previous)


@contextlib.contextmanager
def warning_hook(function):
    """Calls `function` where a divergence's RuntimeWarning is shown."""
    with warnings.catch_warnings():
        warnings.simplefilter("always")
        previous = warnings.showwarning

        def show(message, category, *args, **kwargs):
            return function() if category is RuntimeWarning else previous(message, category, *args, **kwargs)

        warnings.showwarning = show
        try:
            yield
        finally:
            warnings.showwarning = previous


def reference(token, x, parameters=None):
    """The outputs and coefficients of `x` run sample by sample."""
    with warnings.catch_warnings(), adaptive_filters.Filter(token, parameters) as f:
        warnings.simplefilter("ignore")
        return np.array([f.step(row) for row in x]), f.weights


@pytest.mark.parametrize("call", [
    lambda f: f.close(),
    lambda f: f.step(DIVERGING[0]),
    lambda f: f.process(DIVERGING[:2]),
    lambda f: f.process(DIVERGING[:2], weights_every=1),
])
@pytest.mark.parametrize("through_a_signal", [False, True])
def test_the_filter_used_from_inside_its_own_process_is_refused_not_waited_for(tmp_path, call, through_a_signal):
    f = adaptive_filters.Filter("NLMS3", weights=tmp_path / "w.txt")
    seen = []

    def inside():
        seen.append((f.samples, [w.copy() for w in f.weights]))  # reading is served
        call(f)

    if through_a_signal:
        context, hook = handler(signal.SIGUSR1, lambda s, frame: inside()), lambda: signal.raise_signal(signal.SIGUSR1)
    else:
        context, hook = contextlib.nullcontext(), inside
    with context, warning_hook(hook), pytest.raises(RuntimeError, match=(
            r"\(\) of the NLMS3 filter was called from inside its own process\(\) or step\(\) on this thread")) as e:
        f.process(DIVERGING)
    done = e.value.samples_done
    assert f.samples == done == seen[0][0] > 0 and not f.closed
    outputs, weights = reference("NLMS3", DIVERGING[:done])
    assert e.value.outputs.tobytes() == outputs.tobytes()
    assert [w.tobytes() for w in seen[0][1]] == [w.tobytes() for w in weights] == [w.tobytes() for w in f.weights]
    f.close()  # the filter carries on, and writes its files
    assert (tmp_path / "w1.txt").read_text().startswith("Numerator Coefficients =")


def test_a_thread_waiting_for_a_busy_filter_hears_signals():
    f = adaptive_filters.Filter("RLS1")
    entered, release = threading.Event(), threading.Event()

    class Blocking:  # holds the filter's lock inside process until released
        def __array__(self, dtype=None):
            entered.set()
            release.wait(60)
            return np.zeros((1, 2))

    class Interrupted(Exception):
        pass

    fired = threading.Event()

    def on_signal(signum, frame):
        if not fired.is_set():
            fired.set()
            raise Interrupted

    def press():  # again and again: a signal raised before the wait began is heard as well
        while not fired.wait(0.01):
            signal.pthread_kill(main, signal.SIGUSR1)

    main = threading.get_ident()
    worker = threading.Thread(target=f.process, args=(Blocking(),))
    presser = threading.Thread(target=press)
    with handler(signal.SIGUSR1, on_signal):
        worker.start()
        entered.wait()
        presser.start()
        try:
            with pytest.raises(Interrupted):
                f.weights
        finally:
            fired.set()
            release.set()
            presser.join()
            worker.join()
    assert f.samples == 1
    f.close()


def test_the_first_chunk_is_one_sample_so_ctrl_c_is_heard_after_it():
    # GenLMS_B whose first tap starts at 1e7 runs away at sample 0, so its
    # warning comes at the first check for signals; Ctrl-C pressed there ends
    # the call after the first chunk.
    f = adaptive_filters.Filter("GenLMS_B", {"First Tap Value": 1e7})
    x = np.random.default_rng(2).uniform(0.5, 1, (5000, 3))
    with handler(signal.SIGINT, signal.default_int_handler), \
            warning_hook(lambda: signal.raise_signal(signal.SIGINT)), pytest.raises(KeyboardInterrupt) as e:
        f.process(x)
    assert e.value.samples_done == f.samples == 1
    assert e.value.outputs.shape == (1, 1) and e.value.outputs.base is None  # a copy of its own
    rest = f.process(x[1:])
    expected, _ = reference("GenLMS_B", x, {"First Tap Value": 1e7})
    assert np.vstack([e.value.outputs, rest]).tobytes() == expected.tobytes()
    f.close()
