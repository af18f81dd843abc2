"""adaptive_filters.describe: the text adaptsim describe shows, for every token."""
import subprocess

import pytest

import adaptive_filters


def test_describe_is_the_text_adaptsim_shows(adaptsim):
    for token in (t for t in adaptive_filters.tokens() if t["in_catalogue"]):  # what the plug-in gives adaptsim
        shown = subprocess.run([adaptsim, "describe", token["name"]], capture_output=True, check=True).stdout
        assert adaptive_filters.describe(token["name"]) == shown.decode("utf-8"), token["name"]


def test_describe_gives_every_parameter_its_default_and_the_channel_convention():
    token = next(entry for entry in adaptive_filters.tokens() if entry["name"] == "NLMS3")
    text = adaptive_filters.describe("NLMS3")
    for name, default in token["parameters"].items():
        assert f'"{name}" = {default:g}\n' in text
    assert "the step sizes add across channels" in " ".join(text.split())
    with pytest.raises(adaptive_filters.Error):
        adaptive_filters.describe("NLMS4")
