"""The adaptive filters of the `adaptive` token library, with NumPy arrays::

    import numpy as np, adaptive_filters
    with adaptive_filters.Filter("RLS1", {"Numerator Coeffs": 8}, weights="w.txt") as f:
        y = f.process(x)        # x: (samples, inputs) array-like -> (samples, outputs)

Every filter is one token instance driven exactly as the simulator drives the
plug-in, so it computes the same bits. :func:`ensemble` averages learning
curves over independent realisations, on threads or on a Dask cluster.
"""

from ._adaptive import Error, Filter, __version__, describe, tokens
from .ensemble import LearningCurve, ensemble

__all__ = ["Error", "Filter", "LearningCurve", "__version__", "describe", "ensemble", "tokens"]
