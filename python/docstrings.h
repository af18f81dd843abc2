// The docstrings of the extension module (NumPy style): what help() and the
// manual show of adaptive_filters.Filter, its methods and properties.
#pragma once

namespace docstrings {

inline constexpr const char* kModule = R"(The adaptive filter tokens over NumPy arrays.

A :class:`Filter` is one token instance driven exactly as the simulator drives
the plug-in, so it computes the same bits. :func:`tokens` lists the catalogue.
)";

inline constexpr const char* kError = R"(A token that cannot be created or closed, or a name the catalogue does not know.

Attributes
----------
status : int
    The library's status code: 1 a parameter out of range or a final-weights
    file that cannot be opened (also an unknown name), 1001 and 1002 no memory.
)";

inline constexpr const char* kTokens = R"(The tokens of the library: the plug-in's catalogue of 24, then the
families beyond it.

Returns
-------
list of dict
    One dict per token, in catalogue order, with the keys ``name``,
    ``description``, ``family`` ("LMS", "NLMS", "general gradient", "Newton",
    "RLS", "QR", "random walk", or a family beyond the catalogue such as
    "block LMS"), ``in_catalogue`` (True for the plug-in's 24), ``channels``
    (filter channels, one final-weights file each), ``general`` (True when the
    "Error" comes from the caller), ``inputs`` and ``outputs`` (port names in
    order), ``parameters`` (name: default, in order) and ``default_weights``
    (the catalogue's file name).
)";

inline constexpr const char* kFilter = R"(One adaptive filter: a token instance.

Parameters
----------
token : str
    The token's name, such as "NLMS" or "RLS3" (see :func:`tokens`), in any
    letter case.
parameters : dict of str to number, optional
    Parameter values by their catalogue names (int, float, bool or NumPy
    scalars); the others take the catalogue's defaults. A name matches
    exactly, else in any letter case with any run of blanks as one
    ("numerator coeffs 1" for "Numerator Coeffs  1"), as ``adaptsim``
    matches it. Counts of coefficients are truncated toward zero.
weights : str or os.PathLike, optional
    The final-weights file name; None or "" writes no file. The files are
    opened (created or emptied) now and written when the filter closes. A
    one-channel token writes this file; a token of two or three channels
    writes one file per channel, the channel number put before the first dot
    of the file's own name: "w.txt" gives w1.txt, w2.txt (a name without a dot gets the
    extension "txt").

Raises
------
Error
    A parameter out of range, an unknown token or parameter name (the message
    lists the valid ones, or the candidates when several match, and suggests
    the name a typo stands for), or a file that cannot be opened. The
    parameter and its value come before the library's own message:
    ``"Mu 2" = -1 is refused; it takes 0 or more: Improper step size ...``,
    ``"Numerator Coeffs" = 2147483648 does not fit a 32-bit count: ...``,
    ``RLS1 with 100000 taps needs 80 GB for P: Memory (s_) allocation error.``
TypeError
    A parameter value that is not a number, a name that is not a str.
ValueError
    A name holding a NUL character or a lone surrogate (as ``os.listdir``
    gives for a file name not in the file system's encoding), which the
    library's text cannot hold; the message names the argument.

Notes
-----
Each row of a block is one sample: the input ports in :attr:`inputs` order.
The outputs are, in :attr:`outputs` order, "Output", "PriError" (the
a-priori error, from the coefficients before the sample's update) and
"PostError" (the a-posteriori error, after it); the QR tokens add "Gamma",
and the general tokens have "Output" only.

"Output" is the a-priori output (before the update) for the LMS, NLMS and
Newton tokens, and the a-posteriori output (after it) for the RLS, QR and
random-walk tokens. A general token pairs the "Error" it reads with the
previous sample's "Output" (the caller computes desired minus output) and
its "Output" uses the coefficients just updated.

A filter whose outputs run away (not finite, or a million times the RMS of
its inputs) warns once with a RuntimeWarning naming the sample and the step
sizes to lower. Close filters explicitly or use ``with``: a filter that is
collected unclosed, or still open at interpreter exit (whatever still refers
to it, a daemon thread included), warns with a ResourceWarning, and then
closes.

A filter runs one call at a time: a thread waiting for a filter that another
thread is running hears signals (Ctrl-C) meanwhile. A signal handler or a
warnings hook that runs inside the filter's own :meth:`process` or
:meth:`step` (between two samples) may read :attr:`weights`, but its
``process``, ``step`` or ``close`` raise RuntimeError: raise an exception
there to end the call, then use or close the filter.

A child made by ``os.fork`` (or multiprocessing's "fork" start) gets a copy
of every filter that is not its own: the child may read and run its copy,
which carries on from the coefficients at the fork, but the final-weights
files stay the parent's: the copy's ``close()`` (and its collection, and the
child's exit) writes nothing. A copy that another thread of the parent was
running at the fork may be cut in the middle of a sample: every use but
``close()`` raises RuntimeError.

Examples
--------
>>> import numpy as np, adaptive_filters
>>> x = np.random.default_rng(0).standard_normal(1000)
>>> d = np.convolve(x, [0.5, -0.25])[:1000]
>>> with adaptive_filters.Filter("RLS1", {"Numerator Coeffs": 2}) as f:
...     y = f.process(np.column_stack([x, d]))
>>> abs(y[-1, 1]) < 1e-9
True
)";

inline constexpr const char* kToken = "str: the token's name.";
inline constexpr const char* kInputs = "list of str: the input port names, the columns of a block in order.";
inline constexpr const char* kOutputs = "list of str: the output port names, the columns of the result in order.";
inline constexpr const char* kParameters =
    "dict of str to float: every parameter's value in use, defaults included, in catalogue order.\n\n"
    "Raises ValueError once the filter is closed.";
inline constexpr const char* kSamples =
    "int: the number of samples run since the filter was made (the sample a divergence warning names "
    "counts from 0 on this scale).";
inline constexpr const char* kClosed = "bool: True once :meth:`close` has run.";
inline constexpr const char* kWeights = R"(list of numpy.ndarray: the coefficients now, one array per channel.

Channels in channel order, that of the final-weights files. Each array
holds the channel's numerator coefficients (the newest input's first); the
recursive LMS, NLMS and NEW follow them with their denominator coefficients
after the leading 1, a_1 ... a_M of H(z) = B(z)/A(z), the feedback
coefficients negated, as the file lists them. Equal, to the last bit, to
what the final-weights files would hold if the filter closed now; while a QR
token's triangle is still singular, all NaN (its file would say "Matrix
close to singular..."). Read between calls; raises ValueError once the
filter is closed.

Examples
--------
>>> import adaptive_filters
>>> f = adaptive_filters.Filter("LMS", {"Numerator Coeffs": 2, "Denominator Coeffs": 2})
>>> [w.tolist() for w in f.weights]   # b_0, b_1, a_1
[[0.0, 0.0, -0.0]]
)";

inline constexpr const char* kProcess = R"(Runs a block of samples, one per row.

Parameters
----------
x : array_like, shape (samples, len(inputs))
    Any array of real numbers (lists, float32 or integer arrays, any strides
    or byte order; converted to float64, copied only where needed). A 1-D
    array is refused, even for a single sample: use :meth:`step`.
weights_every : int, optional
    Also record the coefficients after every ``weights_every`` samples of
    this call (samples k, 2k, ...), for plotting their convergence.

Returns
-------
numpy.ndarray of float64, shape (samples, len(outputs))
    The outputs, bit for bit those of the same rows given to :meth:`step`
    one by one.
tuple of two numpy.ndarray of float64
    With ``weights_every``: the outputs and the history, of shape
    (samples // weights_every, coefficients), row r equal to
    ``numpy.concatenate(f.weights)`` after sample (r + 1) * weights_every.

Raises
------
ValueError
    A shape other than (samples, len(inputs)), a closed filter, or a
    ``weights_every`` below 1.
TypeError
    An array that does not hold real numbers, a ``weights_every`` that is
    not an int.
KeyboardInterrupt
    Ctrl-C during the call. The call runs with the GIL released in chunks
    and checks for signals between them: the first chunk is one sample, each
    next one at most twice the last, sized to last about 20 ms, so Ctrl-C is
    heard within about 20 ms or one sample's time if that is longer. The
    chunks change no bit. The filter stays usable, having run the whole
    samples given by the exception's ``samples_done`` attribute (and
    :attr:`samples` counts them); ``outputs`` holds a copy of their outputs
    and, with ``weights_every``, ``history`` a copy of the history rows
    recorded so far. The same holds for any exception that ends the call once
    it has begun: a signal handler's, a RuntimeWarning made an error, a
    MemoryError.
MemoryError
    Outputs or a history that cannot be had, before any sample runs: the
    message gives the size needed. The history is made whole first and
    written in place, so it needs its own size, not twice.
RuntimeError
    Called from inside this filter's own call (see :class:`Filter`), or on
    a forked child's copy cut mid-call.

Warns
-----
RuntimeWarning
    Once per filter, when an output runs away: the sample (counted from 0
    since the filter was made, see :attr:`samples`) and the parameters to
    change.
)";

inline constexpr const char* kStep = R"(Runs one sample.

Parameters
----------
row : array_like, shape (len(inputs),)
    The input ports' values for this sample. A general token's "Error" is
    computed by the caller, typically desired minus the previous "Output".

Returns
-------
numpy.ndarray of float64, shape (len(outputs),)

Raises
------
ValueError
    A shape other than (len(inputs),), or a closed filter.
TypeError
    Values that are not real numbers.
)";

inline constexpr const char* kClose = R"(Writes the final-weights files and ends the filter.

The files hold the coefficients reached: "Numerator Coefficients =N", the N
coefficients (the newest input's first), then the denominator section (the
negated feedback coefficients of the recursive LMS, NLMS and NEW). Leaving a
``with`` block closes the filter; later calls do nothing, and a ``with``
block on a closed filter raises ValueError. A forked child's copy of a
filter closes without writing: its files are the parent's.

Raises
------
Error
    The library reports a failure (a QR token whose triangle is singular
    writes "Matrix close to singular..." instead of coefficients); the filter
    is closed all the same.
)";

}  // namespace docstrings
