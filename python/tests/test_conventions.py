"""The conventions page (docs/conventions.rst) against the library: its table
names every token once with the catalogue's step sizes, and the gain,
forgetting factor and "Output" it states are what the filters compute."""

import os
import re
import subprocess
import sys

import numpy as np
import pytest

import adaptive_filters

PAGE = os.path.join(os.path.dirname(__file__), "..", "..", "docs", "conventions.rst")
TOKENS = {t["name"]: t for t in adaptive_filters.tokens()}


def page():
    with open(PAGE, encoding="utf-8") as text:
        return text.read()


def table():
    """token -> (step size, gain, forgetting, P(0), output) of the per-token table."""
    body = page().split(".. list-table:: The conventions of every token", 1)[1].split("\nFrom padasip\n", 1)[0]
    rows = {}
    for row in re.split(r"\n   \* - ", body)[2:]:
        cells = [c.strip() for c in re.split(r"\n     - ", row)]
        rows[cells[0]] = tuple(cells[1:6])
    return rows


def step_sizes(token):
    return [p for p in TOKENS[token]["parameters"] if p.startswith("Mu")]


def test_the_table_names_every_token_once_with_its_step_sizes():
    rows = table()
    assert sorted(rows) == sorted(TOKENS)
    for name, (step, gain, forgetting, start, output) in rows.items():
        named = re.findall(r'"([^"]+)"', step)
        if "input port" in step:
            assert TOKENS[name]["inputs"].count(named[0]) == 1 and not step_sizes(name), name
        else:
            assert named == step_sizes(name), name
        assert (gain == "—") == (not named), name
        assert (forgetting == "—") == ("Lambda" not in TOKENS[name]["parameters"]), name
        assert (start == "I/Init") == ("Init" in TOKENS[name]["parameters"]), name


def one_sample_gain(token):
    """The first coefficient after an error of 1 on a line holding a single 1,
    with every step size 0.1: 0.2 for a 2μ gain, 0.1 for μ."""
    entry = TOKENS[token]
    inputs = entry["inputs"]
    parameters = {p: 0.1 for p in step_sizes(token)}
    for regularisation in ("Delta", "Epsilon"):  # AP's and IPNLMS's, added to what they divide by
        if regularisation in entry["parameters"]:
            parameters[regularisation] = 1e-12
    if "Normalised" in entry["parameters"] or "Block Length" in entry["parameters"]:
        # A block token adapts at the end of its block: blocks of one sample
        # on one tap, with the plain step.
        parameters.update({p: 1 for p in ("Numerator Coeffs", "Block Length") if p in entry["parameters"]})
        parameters.update({p: 0 for p in ("Normalised",) if p in entry["parameters"]})
    if "Init" in entry["parameters"]:
        parameters["Init"] = 1e-9  # the Newton gain 1/(λ·Init + 1) of a unit line: 1 to 1e-9
    rows = np.zeros((2, len(inputs)))
    if "Desired" in inputs:  # the error of the sample itself
        rows[0, 0] = rows[0, inputs.index("Desired")] = 1.0
        sample = 0
    else:  # the error of the next sample, on the line as it stood before it
        rows[0, 0] = 1.0
        if "- de/dw" in inputs:
            rows[0, inputs.index("- de/dw")] = 1.0
        rows[1, inputs.index("Error")] = 1.0
        if "Mu" in inputs:
            rows[:, inputs.index("Mu")] = 0.1
            rows[:, inputs.index("Leakage")] = 1.0
        sample = 1
    with adaptive_filters.Filter(token, parameters) as f:
        _, history = f.process(rows, weights_every=1)
    return history[sample, 0]


@pytest.mark.parametrize("token", sorted(TOKENS))
def test_the_gain_is_the_one_the_table_states(token):
    gain = table()[token][1]
    if gain == "—":
        return
    expected = {"2μ": 0.2, "μ": 0.1}[gain]
    # Within δ = 1e-8 of the normalised tokens and the Newton gain's 1e-9.
    assert one_sample_gain(token) == pytest.approx(expected, rel=1e-6)


@pytest.mark.parametrize("token", sorted(TOKENS))
def test_output_is_the_a_priori_or_a_posteriori_one_the_table_states(token):
    output = table()[token][4]
    entry = TOKENS[token]
    if output == "after update":
        assert "Desired" not in entry["inputs"] and entry["outputs"] == ["Output"]
        return
    # The outputs of a token with a latency are those of the sample that many
    # samples before (zeros before it).
    late = re.search(r'sample n \+ "([^"]+)"', adaptive_filters._adaptive._token_notes(token)["latency"])
    latency = int(entry["parameters"][late.group(1)]) if late else 0
    rng = np.random.default_rng(3)
    rows = rng.standard_normal((latency + 200, len(entry["inputs"])))
    with adaptive_filters.Filter(token) as f:
        out = f.process(rows)
    error = out[:, entry["outputs"].index({"a-priori": "PriError", "a-posteriori": "PostError"}[output])]
    desired = np.concatenate([np.zeros(latency), rows[: len(rows) - latency, -1]])
    np.testing.assert_allclose(out[:, 0] + error, desired, rtol=0, atol=1e-9)


def test_qr_at_the_square_root_of_lambda_is_rls_at_lambda():
    rng = np.random.default_rng(4)
    x = rng.standard_normal(4000)
    rows = np.column_stack([x, np.convolve(x, [0.5, -0.4, 0.3, 0.2])[:4000] + 0.1 * rng.standard_normal(4000)])
    with adaptive_filters.Filter("RLS1", {"Numerator Coeffs": 4, "Lambda": 0.99}) as rls, \
            adaptive_filters.Filter("QR1", {"Numerator Coeffs": 4, "Lambda": np.sqrt(0.99)}) as qr:
        same = rls.process(rows)[:, 1], qr.process(rows)[:, 1]
    assert np.max(np.abs(same[0][-2000:] - same[1][-2000:])) < 1e-6
    with adaptive_filters.Filter("QR1", {"Numerator Coeffs": 4, "Lambda": 0.99}) as shorter:
        assert np.max(np.abs(same[0][-2000:] - shorter.process(rows)[-2000:, 1])) > 1e-3


def test_the_dask_program_runs_as_printed():
    pytest.importorskip("distributed")
    code = page().split("Ensembles on a Dask cluster", 1)[1].split(".. code-block:: python\n", 1)[1]
    code = "\n".join(line[3:] for line in code.split("\n\nThe result is", 1)[0].split("\n"))
    done = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=300)
    assert done.returncode == 0, done.stderr
    assert re.match(r"20 realisations: error -\d+\.\d dB, misalignment -\d+\.\d dB\n", done.stdout), done.stdout
