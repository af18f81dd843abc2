"""The package computes what the plug-in computes in the simulator: outputs bit
for bit and final-weights files byte for byte against `adaptsim run`, which
loads the plug-in at run time (and runs the families beyond its catalogue in
the library linked into it), on the same inputs, for a token of every family."""

import subprocess

import numpy as np
import pytest

import adaptive_filters

# One token of every family, with short filters so that the runs are quick and
# the general token sees an "Error" column like any other input.
CASES = [
    ("LMS", {"Numerator Coeffs": 4, "Denominator Coeffs": 3, "Mu Forward": 0.02, "Mu Backward": 0.005}),
    ("NLMS2", {"Numerator Coeffs  1": 3, "Numerator Coeffs  2": 2, "Mu 2": 0.25}),
    ("GenNLMS", {"Numerator Coeffs": 5, "First Tap Value": 0.5, "Last Tap Value": -0.25}),
    ("NEW", {"Numerator Coeffs": 3, "Denominator Coeffs": 2, "Lambda": 0.99}),
    ("RLS3", {"Numerator Coeffs  1": 2, "Numerator Coeffs  2": 3, "Numerator Coeffs  3": 1, "Init": 0.01}),
    ("QR1", {"Numerator Coeffs": 4, "Lambda": 0.995}),
    ("RW1", {"Numerator Coeffs": 3, "Random Walk Variance": 0.001}),
    # Beyond the catalogue: adaptsim runs these in the library linked into it.
    ("AP", {"Numerator Coeffs": 6, "Projection Order": 3}),
    ("IPNLMS", {"Numerator Coeffs": 5, "Alpha": 0}),
    ("SDLMS", {"Numerator Coeffs": 4, "Mu": 0.01, "Leakage": 0.999}),
]


def token(name):
    return next(t for t in adaptive_filters.tokens() if t["name"] == name)


def adaptsim_run(adaptsim, name, parameters, inputs, weights, tmp_path):
    source = tmp_path / "in.csv"
    source.write_text("".join(",".join(repr(float(v)) for v in row) + "\n" for row in inputs))
    command = [adaptsim, "run", name, "--in", str(source), "--out", str(tmp_path / "out.csv"),
               "--weights", str(weights)]
    for key, value in parameters.items():
        command += ["-p", f"{key}={value!r}"]
    subprocess.run(command, check=True, capture_output=True)
    lines = (tmp_path / "out.csv").read_text().splitlines()
    assert lines[0].split(",") == token(name)["outputs"]
    return np.array([[float(v) for v in line.split(",")] for line in lines[1:]])


@pytest.mark.parametrize("name,parameters", CASES, ids=[c[0] for c in CASES])
def test_outputs_and_final_weights_match_the_plugin(adaptsim, tmp_path, name, parameters):
    rng = np.random.default_rng(7)
    inputs = rng.standard_normal((400, len(token(name)["inputs"])))
    if token(name)["family"] == "general gradient":
        inputs[:, 2] *= 0.1  # a small error keeps the gradient steps bounded
    expected = adaptsim_run(adaptsim, name, parameters, inputs, tmp_path / "plugin.txt", tmp_path)

    with adaptive_filters.Filter(name, parameters, weights=tmp_path / "package.txt") as f:
        got = f.process(inputs)

    assert got.shape == expected.shape
    assert got.tobytes() == expected.tobytes(), f"{name}: first difference in row " \
        f"{np.argwhere(got != expected)[0][0] if (got != expected).any() else '?'}"
    channels = token(name)["channels"]
    suffixes = [""] if channels == 1 else [str(k) for k in range(1, channels + 1)]
    for suffix in suffixes:
        plugin = (tmp_path / f"plugin{suffix}.txt").read_bytes()
        assert plugin.startswith(b"Numerator Coefficients =")
        assert (tmp_path / f"package{suffix}.txt").read_bytes() == plugin


def test_every_family_of_the_catalogue_is_covered():
    catalogue = {t["family"] for t in adaptive_filters.tokens() if t["in_catalogue"]}
    assert {token(name)["family"] for name, _ in CASES} >= catalogue


def test_step_by_step_equals_one_block():
    rng = np.random.default_rng(3)
    x = rng.standard_normal((200, 2))
    with adaptive_filters.Filter("RLS1", {"Numerator Coeffs": 6}) as block, adaptive_filters.Filter("RLS1", {"Numerator Coeffs": 6}) as steps:
        whole = block.process(x)
        rows = np.array([steps.step(row) for row in x])
    assert whole.tobytes() == rows.tobytes()
