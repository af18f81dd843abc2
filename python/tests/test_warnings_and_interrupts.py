"""What a long or unattended filter tells its user: Ctrl-C during process, a
diverging filter, a filter collected without being closed."""

import gc
import os
import re
import shutil
import signal
import threading
import warnings

import numpy as np
import pytest

import adaptive_filters
from conftest import sigint_handler


def test_ctrl_c_stops_process_between_whole_samples_and_leaves_the_filter_usable():
    # Long enough that the call is still running however late the presser
    # gets the processor; the interrupt ends it early, so only the samples up
    # to it and a few after are ever run.
    x = np.random.default_rng(4).standard_normal((2_000_000, 4))
    f = adaptive_filters.Filter("NEW3")
    f.process(x[:10])

    # The handler raises once, and only once the call has run samples, so the
    # interrupt lands inside process whatever the machine's load; the
    # presser stops once it has, and the handler stays in place until
    # nothing it sent can arrive.
    interrupted_once = threading.Event()
    finished = threading.Event()

    def handler(signum, frame):
        if f.samples > 10 and not interrupted_once.is_set():
            interrupted_once.set()
            raise KeyboardInterrupt

    def press_ctrl_c():
        while not interrupted_once.is_set() and not finished.wait(0.002):
            os.kill(os.getpid(), signal.SIGINT)

    with sigint_handler(handler):
        presser = threading.Thread(target=press_ctrl_c)
        presser.start()
        try:
            with pytest.raises(KeyboardInterrupt) as interrupted:
                f.process(x[10:])
        finally:
            finished.set()
            presser.join()

    done = interrupted.value.samples_done
    assert 0 < done < len(x) - 10 and f.samples == 10 + done
    end = 10 + done + 1000
    rest = f.process(x[10 + done:end])
    with adaptive_filters.Filter("NEW3") as alone:
        whole = alone.process(x[:end])
    assert interrupted.value.outputs.tobytes() == whole[10:10 + done].tobytes()
    assert rest.tobytes() == whole[10 + done:].tobytes()
    f.close()


def runaway_sample(outputs, inputs):
    """The first sample whose output is not finite or beyond 1e6 times the input RMS so far."""
    rms = np.sqrt(np.cumsum((inputs * inputs).sum(axis=1)) / (np.arange(1, len(inputs) + 1) * inputs.shape[1]))
    wild = ~np.isfinite(outputs).all(axis=1) | (np.abs(outputs) > 1e6 * rms[:, None]).any(axis=1)
    return int(np.argmax(wild))


def test_a_diverging_filter_warns_once_naming_the_sample_and_the_step_sizes():
    # NLMS3 at its defaults: three step sizes of 0.5 add up across the channels.
    x = np.random.default_rng(6).standard_normal((3000, 4))
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        with adaptive_filters.Filter("NLMS3") as f:
            head = f.process(x[:100])
            tail = f.process(x[100:])
        with adaptive_filters.Filter("NLMS3") as g:
            for row in x[:1000]:
                g.step(row)
    messages = [str(w.message) for w in caught if w.category is RuntimeWarning]
    assert len(messages) == 2 and messages[0] == messages[1]  # once per filter; step as process
    sample = runaway_sample(np.vstack([head, tail]), x)
    assert 100 < sample < 1000
    assert re.search(rf"at sample {sample} \(counted from 0\): the filter diverges; "
                     r'try a smaller step size \("Mu 1", "Mu 2", "Mu 3"\)', messages[0])


def test_nan_in_gives_nan_out_without_a_warning():
    x = np.ones((50, 2))
    x[20, 0] = np.nan
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        with adaptive_filters.Filter("RLS1") as f:
            assert np.isnan(f.process(x)[-1, 0])


def test_an_unclosed_filter_warns_when_collected_and_says_when_its_close_fails(tmp_path):
    (tmp_path / "gone").mkdir()
    kept = adaptive_filters.Filter("RLS2", weights=tmp_path / "kept.txt")
    lost = adaptive_filters.Filter("RLS2", weights=tmp_path / "gone" / "w.txt")
    kept.process(np.ones((3, 3)))
    lost.process(np.ones((3, 3)))
    shutil.rmtree(tmp_path / "gone")
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        del kept, lost
        gc.collect()
    found = [(w.category, str(w.message)) for w in caught]
    assert [c for c, _ in found] == [ResourceWarning, ResourceWarning, RuntimeWarning]
    assert found[0][1].startswith("unclosed adaptive_filters.Filter RLS2 ['Input 1', 'Input 2', 'Desired']")
    assert found[2][1] == ("closing the collected RLS2 filter failed (status 1): "
                           f"Problems writing {tmp_path}/gone/w1.txt and {tmp_path}/gone/w2.txt")
    assert (tmp_path / "kept1.txt").read_text().startswith("Numerator Coefficients =10\n")
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        closed = adaptive_filters.Filter("RLS1")
        closed.close()
        del closed
        gc.collect()
