"""Names that cannot reach the library (a lone surrogate, as os.listdir
gives for undecodable file names; a NUL character) and a closed filter in a
with block: refused clearly, naming what was wrong."""

import numpy as np
import pytest

import adaptive_filters

SURROGATE = "w\udcff.txt"


@pytest.mark.parametrize("make, named", [
    (lambda: adaptive_filters.Filter("NLMS\udc80"), "token 'NLMS\\\\udc80'"),
    (lambda: adaptive_filters.Filter("NLMS", {"Mu\udc80": 1}), "parameter name 'Mu\\\\udc80'"),
    (lambda: adaptive_filters.Filter("NLMS", weights=SURROGATE), "weights 'w\\\\udcff.txt'"),
    (lambda: adaptive_filters.describe("NLMS\udc80"), "token 'NLMS\\\\udc80'"),
])
def test_a_lone_surrogate_is_refused_naming_the_argument(make, named):
    with pytest.raises(ValueError, match=f"^{named} holds a lone surrogate, which UTF-8 cannot hold"):
        make()


def test_a_long_name_is_shown_cut():
    with pytest.raises(ValueError) as e:
        adaptive_filters.Filter("x" * 1_000_000 + "\0")
    assert str(e.value).startswith("token 'xxx") and len(str(e.value)) < 300
    assert "... (1000001 characters) holds a NUL character" in str(e.value)


def test_a_closed_filter_is_refused_by_a_with_block():
    f = adaptive_filters.Filter("NLMS")
    f.close()
    with pytest.raises(ValueError, match="the NLMS filter is closed"):
        with f:
            pytest.fail("entered")
    with adaptive_filters.Filter("NLMS") as g:
        g.process(np.ones((3, 2)))
    assert g.closed
