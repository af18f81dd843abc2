"""Learning curves averaged over independent realisations, on any executor."""

from __future__ import annotations

import concurrent.futures
from dataclasses import dataclass
from typing import TYPE_CHECKING, Any, Callable, Dict, List, Mapping, Optional, Sequence

import numpy as np
import numpy.typing as npt

from ._adaptive import Filter

if TYPE_CHECKING:
    from ._adaptive import Number

Array = npt.NDArray[np.float64]


@dataclass(frozen=True)
class LearningCurve:
    """The average of `runs` realisations of one filter.

    Attributes
    ----------
    mse_db : numpy.ndarray, shape (samples,)
        The mean a-priori error power E[e²(n)] per sample ("PriError"), in dB
        relative to 1 (the square of the signals' unit): 10·log10 of the mean.
    misalignment_db : numpy.ndarray or None, shape (len(misalignment_at),)
        The mean normalised misalignment E[‖w(n) − h‖²] / ‖h‖² at the samples
        `misalignment_at`, in dB relative to ‖h‖² (0 dB: as far from h as a
        zero filter); None when no true system was given.
    misalignment_at : numpy.ndarray or None
        The number of samples run before each misalignment value.
    runs : int
        The number of realisations averaged.
    """

    mse_db: Array
    misalignment_db: Optional[Array]
    misalignment_at: Optional[npt.NDArray[np.int64]]
    runs: int


Signals = Callable[[int], "npt.ArrayLike"]
_TASKS = 64


def ensemble(token: str, parameters: Optional[Mapping[str, Number]], signals: Signals, runs: int, *,
             first_seed: int = 0, true_system: Optional[Sequence[Any]] = None, points: int = 40,
             executor: Optional[concurrent.futures.Executor] = None) -> LearningCurve:
    """Runs `runs` independent realisations of a filter and averages their learning curves.

    Parameters
    ----------
    token : str
        The token's catalogue name, as for :class:`Filter`; it must have a
        "PriError" output (the tokens with a "Desired" input).
    parameters : mapping of str to number, or None
        The parameters that differ from the catalogue defaults, by name, as
        for :class:`Filter`; None or {} keeps every default.
    signals : callable
        ``signals(seed)`` returns the block of one realisation, shape
        (samples, len(inputs)), the "Desired" column included; the same seed
        must give the same block (for example ``np.random.default_rng(seed)``).
        The seeds are ``first_seed`` … ``first_seed + runs - 1``.
    runs : int
        The number of realisations R.
    first_seed : int, default 0
        The seed of the first realisation; the others follow it.
    true_system : array_like, optional
        The coefficients h of the system identified, in the layout of
        :attr:`Filter.weights`: one sequence per channel (a one-channel token
        takes a flat sequence too), numerator first, and for the recursive
        tokens the denominator's a_1 … a_M after it. The misalignment
        Σ‖w_c − h_c‖² / Σ‖h_c‖² over the channels c, each sequence padded
        with zeros to the longer, is then computed at `points` samples spaced
        geometrically over the run.
    points : int, default 40
        At most this many samples at which the misalignment is computed (with
        a `true_system` only), spaced geometrically from the first sample to
        the last so that the start of the run shows as well as its end; near
        the start, where they would fall on the same sample, they merge.
    executor : concurrent.futures.Executor, optional
        Where the realisations run: default a thread pool; for a Dask cluster,
        ``distributed.Client(...).get_executor()`` (`signals` must then be
        picklable, and the workers must import ``adaptive_filters``). The result does
        not depend on the executor: each realisation computes the same bits
        anywhere, and the sums run in seed order.

    Returns
    -------
    LearningCurve

    Raises
    ------
    ValueError
        `runs` or `points` below 1, a `true_system` of zeros or of another
        number of channels; a realisation not of shape (samples,
        len(inputs)), without samples, or of another length than the first
        seed's (the message names the seed).
    TypeError
        A realisation that is not real numbers (complex ones included),
        naming its seed.

    Notes
    -----
    The coefficients w(n) are :attr:`Filter.weights` after n samples, read
    during the one run that gives the error: to the last bit what the
    final-weights files would hold. A QR token's are NaN until its triangle
    fills, and so is its misalignment there.
    """
    if runs < 1:
        raise ValueError(f"runs must be at least 1, not {runs}")
    if points < 1:
        raise ValueError(f"points must be at least 1, not {points}")
    system = None if true_system is None else _channels(true_system)
    if system is not None and not any(np.any(h != 0) for h in system):
        raise ValueError("true_system is all zeros: the misalignment, relative to its norm, is undefined")
    # A task runs a batch of seeds: at most _TASKS tasks, so that an executor's
    # cost per task (a Dask cluster's especially) stays small beside the work.
    size = -(-runs // _TASKS)
    batches = [range(s, min(s + size, first_seed + runs)) for s in range(first_seed, first_seed + runs, size)]
    job = _Realisation(token, dict(parameters or {}), signals, system, points)
    if executor is None:
        with concurrent.futures.ThreadPoolExecutor() as pool:
            done = list(pool.map(job, batches))
    else:
        done = list(executor.map(job, batches))
    results = [outcome for batch in done for outcome in batch]
    for seed, outcome in enumerate(results[1:], first_seed + 1):
        if len(outcome.squares) != len(results[0].squares):
            raise ValueError(f"signals({seed}) gave {len(outcome.squares)} samples and signals({first_seed}) "
                             f"{len(results[0].squares)}: every realisation must have as many")
    squares = _mean([r.squares for r in results])
    if system is None:
        return LearningCurve(_decibels(squares), None, None, runs)
    misalignment = _mean([r.misalignment for r in results if r.misalignment is not None])
    return LearningCurve(_decibels(squares), _decibels(misalignment), results[0].at, runs)


def _channels(system: Sequence[Any]) -> List[Array]:
    """A true system as one float64 array per channel."""
    if all(np.ndim(value) == 0 for value in system):
        return [np.asarray(system, dtype=np.float64)]
    return [np.asarray(channel, dtype=np.float64).reshape(-1) for channel in system]


def _block(signals: npt.ArrayLike, seed: int, inputs: int) -> Array:
    """A realisation as float64, refused naming its seed unless it is real numbers of (samples, inputs)."""
    block = np.asarray(signals)
    if block.dtype.kind not in "fiub":
        raise TypeError(f"signals({seed}) must return real numbers; its dtype is {block.dtype}")
    if block.ndim != 2 or block.shape[1] != inputs or block.shape[0] == 0:
        raise ValueError(f"signals({seed}) must return an array of shape (samples, {inputs}) with at least "
                         f"one sample; its shape is {block.shape}")
    return np.asarray(block, dtype=np.float64)


def _misalignment(weights: List[Array], system: List[Array]) -> float:
    """Σ‖w_c − h_c‖² / Σ‖h_c‖², each pair padded with zeros to the longer."""
    distance = 0.0
    for w, h in zip(weights, system):
        size = max(len(w), len(h))
        gap: Array = np.pad(w, (0, size - len(w))) - np.pad(h, (0, size - len(h)))
        distance += float(np.dot(gap, gap))
    return distance / sum(float(np.dot(h, h)) for h in system)


def _decibels(power: Array) -> Array:
    return np.log10(power) * 10.0


def _mean(arrays: Sequence[Array]) -> Array:
    total = np.zeros_like(arrays[0])
    for a in arrays:  # in seed order, whatever order the executor finished in
        total = total + a
    return total / len(arrays)


@dataclass(frozen=True)
class _Outcome:
    squares: Array  # e²(n)
    misalignment: Optional[Array]  # ‖w − h‖² / ‖h‖² after `at` samples
    at: Optional[npt.NDArray[np.int64]]


@dataclass(frozen=True)
class _Realisation:
    token: str
    parameters: Dict[str, Number]
    signals: Signals
    system: Optional[List[Array]]
    points: int

    def __call__(self, seeds: range) -> List[_Outcome]:
        return [self.run(seed) for seed in seeds]

    def run(self, seed: int) -> _Outcome:
        with Filter(self.token, self.parameters) as f:
            if "PriError" not in f.outputs:
                raise ValueError(f"{self.token} has no \"PriError\" output: a learning curve needs a desired signal")
            block = _block(self.signals(seed), seed, len(f.inputs))
            if self.system is None:
                errors = f.process(block)[:, f.outputs.index("PriError")]
                return _Outcome(errors * errors, None, None)
            if len(self.system) != len(f.weights):
                raise ValueError(f"true_system gives {len(self.system)} channels; {self.token} has {len(f.weights)}")
            at = np.unique(np.geomspace(1, len(block), self.points).astype(np.int64))
            pieces, distance = [], []
            for start, end in zip(np.concatenate((np.zeros(1, dtype=np.int64), at[:-1])), at):
                pieces.append(f.process(block[start:end])[:, f.outputs.index("PriError")])
                distance.append(_misalignment(f.weights, self.system))
            pieces.append(f.process(block[at[-1]:])[:, f.outputs.index("PriError")])
        errors = np.concatenate(pieces)
        return _Outcome(errors * errors, np.array(distance), at)
