"""adaptive.describe: the text adaptsim describe shows, for every token."""
import subprocess

import pytest

import adaptive


def test_describe_is_the_text_adaptsim_shows(adaptsim):
    for token in adaptive.tokens():
        shown = subprocess.run([adaptsim, "describe", token["name"]], capture_output=True, check=True).stdout
        assert adaptive.describe(token["name"]) == shown.decode("utf-8"), token["name"]


def test_describe_names_every_parameter_with_its_default_and_refuses_unknown_tokens():
    nlms3 = adaptive.describe("NLMS3")
    for name, default in adaptive.tokens()[8]["parameters"].items():
        assert f'"{name}" = {default:g}\n' in nlms3
    assert "NLMS3 (1.5) diverge" in nlms3 or "diverge in NLMS2 and NLMS3" in nlms3
    with pytest.raises(adaptive.Error):
        adaptive.describe("NLMS4")
