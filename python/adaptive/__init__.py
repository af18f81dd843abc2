"""The adaptive filters of the `adaptive` token library, with NumPy arrays::

    import numpy as np, adaptive
    with adaptive.Filter("RLS1", {"Numerator Coeffs": 8}, weights="w.txt") as f:
        y = f.process(x)        # x: float64 (samples, inputs) -> (samples, outputs)

Every filter is one token instance driven exactly as the simulator drives the
plug-in, so it computes the same bits.
"""

from ._adaptive import Error, Filter, describe, tokens

__all__ = ["Error", "Filter", "describe", "tokens"]
