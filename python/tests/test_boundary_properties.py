"""Property-based tests of the package's boundary: whatever arrays, parameter
values and names a caller passes, nothing crashes, every refusal is
adaptive_filters.Error, ValueError or TypeError saying what was wrong, a refused call
leaves the filter as it was, and a block computes what its rows compute one
by one."""

import warnings

import numpy as np
import pytest

import adaptive_filters

hypothesis = pytest.importorskip("hypothesis", reason="needs Hypothesis (Debian: python3-hypothesis)")
from hypothesis import HealthCheck, given, settings, strategies as st  # noqa: E402
from hypothesis.extra import numpy as hnp  # noqa: E402

TOKENS = {t["name"]: t for t in adaptive_filters.tokens()}
# No time limits: a loaded machine must not turn a slow example into a failure.
QUICK = settings(max_examples=60, deadline=None, suppress_health_check=[HealthCheck.too_slow])

# Short filters, so that every example is quick.
SHORT = {name: {p: 3 for p in t["parameters"] if p.startswith(("Numerator Coeffs", "Denominator Coeffs", "Block Length"))}
         for name, t in TOKENS.items()}
SHORT["AP"]["Projection Order"] = 2  # at most the length

tokens = st.sampled_from(sorted(TOKENS))
dtypes = st.sampled_from(["<f8", ">f8", "<f4", ">f4", "f2", "i1", ">i4", "<u8", "?", "c16", "O", "U3", "M8[s]"])


@st.composite
def arrays(draw):
    """Any array: dtype, byte order, shape (0 to 3 dimensions, empty ones too),
    values (NaN and infinities among them), strides and memory order."""
    dtype = np.dtype(draw(dtypes))
    shape = draw(hnp.array_shapes(min_dims=0, max_dims=3, min_side=0, max_side=5))
    if dtype.kind in "fc":
        elements = st.floats(allow_nan=True, allow_infinity=True, width=16 if dtype.itemsize == 2 else 32)
    elif dtype.kind in "iub":
        elements = None
    else:
        elements = st.sampled_from([0, 1.5, "x"]) if dtype.kind == "O" else None
    array = draw(hnp.arrays(dtype, shape, elements=elements))
    if array.ndim == 2 and draw(st.booleans()):
        array = np.asfortranarray(array)
    if array.ndim >= 1 and array.shape[0] > 1 and draw(st.booleans()):
        array = array[::2]
    return array


def refused_plainly(error, *words):
    assert isinstance(error, (adaptive_filters.Error, ValueError, TypeError)), repr(error)
    assert all(word in str(error) for word in words), str(error)


@QUICK
@given(name=tokens, x=arrays())
def test_any_array_is_run_or_refused_saying_why_and_a_refusal_changes_nothing(name, x):
    with adaptive_filters.Filter(name, SHORT[name]) as f, adaptive_filters.Filter(name, SHORT[name]) as twin:
        width = len(f.inputs)
        with warnings.catch_warnings():
            warnings.simplefilter("ignore", RuntimeWarning)  # NaN and wild values may diverge
            try:
                y = f.process(x)
            except Exception as error:  # noqa: BLE001 - the property is what is raised
                refused_plainly(error, f"x must be an array of real numbers of shape (samples, {width})")
                assert f.samples == 0
                y = np.empty((0, len(f.outputs)))
            else:
                assert x.dtype.kind in "fiub" and x.ndim == 2 and x.shape[1] == width
                assert y.shape == (x.shape[0], len(f.outputs)) and y.dtype == np.float64
                twin.process(np.ascontiguousarray(x, dtype=np.float64))
            assert f.samples == len(y)
            probe = np.linspace(-1.0, 1.0, width)
            assert f.step(probe).tobytes() == twin.step(probe).tobytes()


@QUICK
@given(name=tokens, data=st.data())
def test_a_block_equals_its_rows_run_one_by_one(name, data):
    width = len(TOKENS[name]["inputs"])
    x = data.draw(hnp.arrays(np.float64, st.tuples(st.integers(0, 40), st.just(width)),
                             elements=st.floats(-1e3, 1e3) | st.sampled_from([0.0, np.nan, np.inf, -np.inf, 1e300])))
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", RuntimeWarning)
        with adaptive_filters.Filter(name, SHORT[name]) as block, adaptive_filters.Filter(name, SHORT[name]) as rows:
            whole = block.process(x)
            one_by_one = np.array([rows.step(row) for row in x]).reshape(whole.shape)
    assert whole.tobytes() == one_by_one.tobytes()


# Values for counts stay small when valid: a valid count of millions would
# allocate what it asks for.
counts = st.integers(-3, 6) | st.sampled_from([2**31, -2**31 - 1, 1e300, 0.5, float("nan"), float("inf")])
values = (st.floats(allow_nan=True, allow_infinity=True) | st.integers(-10**400, 10**400) | st.booleans()
          | st.sampled_from([np.float32(0.5), np.int64(-2), np.bool_(True)])
          | st.sampled_from(["0.5", None, [0.5], 1j, b"1", np.array([1.0])]))


@QUICK
@given(name=st.one_of(tokens, st.text(max_size=12)), data=st.data())
def test_any_parameters_are_taken_or_refused_naming_what_was_wrong(name, data):
    # Token names match in any (ASCII) letter case with blanks around them.
    loose = "".join(c.lower() if c.isascii() else c for c in name.strip(" "))
    token = next((t for t in TOKENS if t.lower() == loose), None)
    known = TOKENS[token]["parameters"] if token else {}
    chosen = data.draw(st.lists(st.sampled_from(sorted(known)) if known else st.nothing(), unique=True))
    parameters = {p: data.draw(counts if p.startswith(("Numerator", "Denominator")) else values) for p in chosen}
    parameters.update(data.draw(st.dictionaries(st.text(max_size=8), values, max_size=1)))
    try:
        with adaptive_filters.Filter(name, parameters) as f:
            assert f.parameters.keys() == known.keys()
    except adaptive_filters.Error as error:
        assert error.status in (1, 1001, 1002) and str(error)
        if token is None:
            assert f'no token called "{name}"' in str(error)
    except (TypeError, ValueError) as error:
        if token is None and repr(name) in str(error):
            return  # a token name with a NUL character

        named = [p for p in parameters if f'parameter "{p}"' in str(error) or repr(p) in str(error)]
        assert named, str(error)
        if isinstance(error, TypeError):  # only for a value that is no real number
            assert not isinstance(parameters[named[0]], (int, float, np.floating, np.integer, np.bool_))
