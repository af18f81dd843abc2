"""The coefficient history: made whole before the first sample (refused
with the size it needs when it cannot be had, never twice its size at
peak), and kept with the outputs by any exception that ends process."""

import contextlib
import os
import signal
import subprocess
import sys
import textwrap
import warnings

import numpy as np
import pytest

import adaptive_filters

# NLMS3 at its defaults diverges (three step sizes of 0.5 add up): its
# warning, made an error or answered with Ctrl-C, ends process between chunks.
X = np.random.default_rng(6).standard_normal((3000, 4))


@contextlib.contextmanager
def ended_by(how):
    """A divergence warning made an error, or answered with Ctrl-C."""
    with warnings.catch_warnings():
        if how == "error":
            warnings.simplefilter("error", RuntimeWarning)
            yield RuntimeWarning
            return
        warnings.simplefilter("always")
        show = warnings.showwarning

        def press_ctrl_c(message, category, *args, **kwargs):
            if category is not RuntimeWarning:
                return show(message, category, *args, **kwargs)
            signal.raise_signal(signal.SIGINT)

        warnings.showwarning = press_ctrl_c
        previous = signal.signal(signal.SIGINT, signal.default_int_handler)
        try:
            yield KeyboardInterrupt
        finally:
            warnings.showwarning = show
            signal.signal(signal.SIGINT, previous)


@pytest.mark.parametrize("how", ["error", "ctrl-c"])
def test_an_exception_out_of_process_keeps_the_outputs_and_history_rows_so_far(how):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        with adaptive_filters.Filter("NLMS3") as whole:
            outputs, history = whole.process(X, weights_every=7)
    f = adaptive_filters.Filter("NLMS3")
    with ended_by(how) as kind, pytest.raises(kind) as e:
        f.process(X, weights_every=7)
    done = e.value.samples_done
    assert 0 < done < len(X) and f.samples == done
    assert e.value.outputs.tobytes() == outputs[:done].tobytes() and e.value.outputs.base is None
    assert e.value.history.tobytes() == history[:done // 7].tobytes() and e.value.history.base is None
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        with adaptive_filters.Filter("NLMS3") as alone:
            alone.process(X[:done])
            assert [w.tobytes() for w in f.weights] == [w.tobytes() for w in alone.weights]
    f.close()


# NLMS3 with 3 × 1000 taps: a history row is 3000 values, 24 kB. The address
# space is limited to what the process holds plus 1.3 times the history.
MEMORY_SCRIPT = textwrap.dedent("""
    import resource, sys, warnings
    import numpy as np
    import adaptive_filters
    warnings.simplefilter("ignore", RuntimeWarning)  # these step sizes diverge
    f = adaptive_filters.Filter("NLMS3", {f"Numerator Coeffs {c}": 1000 for c in (1, 2, 3)})
    fits = 12_500  # 300 MB of history
    x = np.random.default_rng(0).uniform(-1, 1, (int(sys.argv[1]), 4))
    held = next(int(line.split()[1]) for line in open("/proc/self/status") if line.startswith("VmSize:")) * 1024
    resource.setrlimit(resource.RLIMIT_AS, (held + int(1.3 * fits * 24_000), resource.RLIM_INFINITY))
    try:
        y, history = f.process(x, weights_every=1)
    except MemoryError as refused:
        print(f.samples, refused)
    else:
        print(f.samples, history.shape, history[-1].tobytes() == np.concatenate(f.weights).tobytes())
    """)


def run_limited(samples):
    done = subprocess.run([sys.executable, "-c", MEMORY_SCRIPT, str(samples)], capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    return done.stdout.strip()


@pytest.mark.skipif(not sys.platform.startswith("linux"), reason="reads /proc/self/status")
@pytest.mark.skipif("libasan" in os.environ.get("LD_PRELOAD", ""),
                    reason="AddressSanitizer's shadow memory fills any limit of the address space")
def test_a_history_that_fits_once_is_made_and_one_that_does_not_is_refused_up_front():
    assert run_limited(12_500) == "12500 (12500, 3000) True"
    refused = run_limited(1_000_000)
    assert refused.startswith("0 the coefficient history of 1000000 samples every 1 (record less often to need "
                              "less) (1000000 x 3000 float64 values) need 22.4 GiB, more than this process can "
                              "have; nothing was run"), refused
