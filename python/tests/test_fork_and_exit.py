"""Filters across fork and at interpreter exit: a forked child's copy is
never the parent's (it writes none of the parent's files and never waits
for a parent thread's lock), and a filter still open at exit is closed then,
with a ResourceWarning, whatever still refers to it."""

import os
import subprocess
import sys
import textwrap
import threading
import time

import numpy as np
import pytest

import adaptive_filters

X = np.random.default_rng(8).uniform(-1, 1, (400, 3))

pytestmark = pytest.mark.skipif(not hasattr(os, "fork"), reason="no fork here")


def expected_files(tmp_path, samples):
    """The files of RLS2 closed after `samples` rows of X, written alone."""
    (tmp_path / "alone").mkdir(exist_ok=True)
    with adaptive_filters.Filter("RLS2", weights=tmp_path / "alone" / "w.txt") as f:
        f.process(X[:samples])
    return [(tmp_path / "alone" / f"w{c}.txt").read_text() for c in (1, 2)]


def written(tmp_path):
    return [(tmp_path / f"w{c}.txt").read_text() for c in (1, 2)]


def in_child(action):
    """Forks; the child runs `action` and ends at once with its outcome (0:
    it returned), never returning to the test. The parent's wait ends when
    the child does, or fails the test after a minute."""
    pid = os.fork()
    if pid == 0:
        code = 1
        try:
            action()
            code = 0
        finally:
            os._exit(code)
    for _ in range(6000):
        done, status = os.waitpid(pid, os.WNOHANG)
        if done:
            return os.waitstatus_to_exitcode(status)
        time.sleep(0.01)
    os.kill(pid, 9)
    os.waitpid(pid, 0)
    pytest.fail("the child hung")


def run_copy_then_close(f):
    # The copy carries on from the parent's coefficients, then ends unwritten.
    with adaptive_filters.Filter("RLS2") as alone:
        alone.process(X)
        expected = [w.tobytes() for w in alone.weights]
    f.process(X[200:])
    assert [w.tobytes() for w in f.weights] == expected and f.samples == len(X)
    f.close()


@pytest.mark.parametrize("child", [lambda f: f.close(), run_copy_then_close])
def test_a_forked_childs_copy_never_writes_the_parents_files(tmp_path, child):
    f = adaptive_filters.Filter("RLS2", weights=tmp_path / "w.txt")
    f.process(X[:200])
    assert in_child(lambda: child(f)) == 0
    assert written(tmp_path) == ["", ""]
    f.process(X[200:300])
    f.close()
    assert written(tmp_path) == expected_files(tmp_path, 300)


def test_a_child_ending_normally_leaves_the_parents_files_alone(tmp_path):
    script = textwrap.dedent("""
        import os, sys
        import numpy as np
        import adaptive_filters
        f = adaptive_filters.Filter("RLS2", weights=sys.argv[1])
        f.process(np.random.default_rng(8).uniform(-1, 1, (400, 3))[:200])
        child = os.fork()
        if child == 0:
            sys.exit(0)  # the interpreter ends as usual: exit hook, collection
        os.waitpid(child, 0)
        assert open(sys.argv[1][:-4] + "1.txt").read() == ""
        f.close()
        """)
    subprocess.run([sys.executable, "-X", "dev", "-c", script, str(tmp_path / "w.txt")], check=True)
    assert written(tmp_path) == expected_files(tmp_path, 200)


def test_a_child_forked_while_another_thread_runs_the_filter_refuses_it_without_waiting(tmp_path):
    f = adaptive_filters.Filter("RLS2", weights=tmp_path / "w.txt")
    entered, release = threading.Event(), threading.Event()

    class Blocking:  # holds the filter's lock inside process until released
        def __array__(self, dtype=None):
            entered.set()
            release.wait(60)
            return X[:200]

    def child():
        for use in (lambda: f.weights, lambda: f.process(X), lambda: f.step(X[0])):
            with pytest.raises(RuntimeError, match="inherited by a forked child while another thread of the parent"):
                use()
        assert f.samples == 0 and not f.closed
        f.close()
        assert f.closed

    worker = threading.Thread(target=f.process, args=(Blocking(),))
    worker.start()
    entered.wait()
    try:
        outcome = in_child(child)
    finally:
        release.set()
        worker.join()
    assert outcome == 0
    f.close()
    assert written(tmp_path) == expected_files(tmp_path, 200)


EXIT_SCRIPT = """
import sys, threading
import numpy as np
import adaptive_filters
f = adaptive_filters.Filter("RLS2", weights=sys.argv[1])
x = np.random.default_rng(8).uniform(-1, 1, (400, 3))
f.process(x[:200])
started = threading.Event()
def keep():  # a daemon thread still holds the filter at exit
    started.set()
    threading.Event().wait()
def run():  # a daemon thread is running the filter at exit
    started.set()
    while not f.closed:
        try:
            f.process(x)
        except Exception:
            pass
threading.Thread(target=%s, daemon=True).start()
started.wait()
"""


def test_a_filter_left_open_at_exit_is_closed_with_a_resource_warning(tmp_path):
    done = subprocess.run([sys.executable, "-X", "dev", "-W", "always", "-c", EXIT_SCRIPT % "keep",
                           str(tmp_path / "w.txt")], capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    assert "ResourceWarning: unclosed adaptive_filters.Filter RLS2 ['Input 1', 'Input 2', 'Desired'] -> " \
           "['Output', 'PriError', 'PostError'], closed at interpreter exit" in done.stderr
    assert written(tmp_path) == expected_files(tmp_path, 200)


def test_a_filter_running_on_a_daemon_thread_at_exit_stops_and_is_closed(tmp_path):
    done = subprocess.run([sys.executable, "-c", EXIT_SCRIPT % "run", str(tmp_path / "w.txt")],
                          capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    for text in written(tmp_path):  # whole files, of some sample
        lines = text.splitlines()
        assert lines[0] == "Numerator Coefficients =10" and len(lines) == 14 and lines[-2:] == [
            "Denominator Coefficients =1", "1"]
