// The extension module of the Python package: adaptive::Filter and the
// catalogue over NumPy arrays, with what a Python user expects around them:
// array-likes converted, TypeError for values that are not numbers, Ctrl-C
// heard during a long call, a RuntimeWarning when a filter diverges, a
// ResourceWarning when one is collected or left open at exit unclosed, and
// filters that a forked child inherits kept from writing the parent's files.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "adaptive/describe.h"
#include "adaptive/driver.h"
#include "adaptive/filter.h"
#include "python/docstrings.h"
#include "python/filter_lock.h"

namespace py = pybind11;
using adaptive::python::FilterLock;
using adaptive::python::RefuseAtExit;
using adaptive::python::WithoutGil;

namespace {

using Samples = py::array_t<double, py::array::c_style | py::array::forcecast>;

std::string TypeName(const py::handle& value) { return py::str(py::type::handle_of(value).attr("__name__")); }

std::string ShapeText(const py::array& array) {
  std::string shape;
  for (py::ssize_t d = 0; d < array.ndim(); ++d) shape += (d == 0 ? "" : ", ") + std::to_string(array.shape(d));
  return "(" + shape + (array.ndim() == 1 ? ",)" : ")");
}

// `value`, any array-like of real numbers, as a C-contiguous float64 array of
// `columns` columns and `dimensions` dimensions (2: a block of samples, 1: one
// sample), copied only where it must be. TypeError when it does not hold real
// numbers, ValueError when its shape is not the one expected.
Samples InputArray(const py::object& value, int dimensions, size_t columns, const char* what) {
  const std::string expected = std::string(what) + " must be an array of real numbers of shape " +
                               (dimensions == 2 ? "(samples, " + std::to_string(columns) + ")"
                                                : "(" + std::to_string(columns) + ",)");
  py::array array;
  try {
    array = py::module_::import("numpy").attr("asarray")(value);
  } catch (py::error_already_set& e) {
    if (!e.matches(PyExc_ValueError) && !e.matches(PyExc_TypeError)) throw;
    throw py::value_error(expected + "; NumPy cannot make an array of it: " + std::string(py::str(e.value())));
  }
  const char kind = array.dtype().kind();
  if (kind != 'f' && kind != 'i' && kind != 'u' && kind != 'b') {
    throw py::type_error(expected + "; its dtype is " + std::string(py::str(array.dtype())) + " (from " +
                         TypeName(value) + ")");
  }
  if (array.ndim() != dimensions || static_cast<size_t>(array.shape(dimensions - 1)) != columns) {
    throw py::value_error(expected + "; its shape is " + ShapeText(array));
  }
  Samples converted = Samples::ensure(array);
  if (!converted) throw py::error_already_set();
  return converted;
}

// A value's repr for a message, cut to a few hundred characters (and then
// saying how long a str was).
std::string Shown(const py::handle& value) {
  constexpr size_t kLongest = 200;
  const std::string text = py::repr(value);
  if (text.size() <= kLongest) return text;
  const std::string length =
      py::isinstance<py::str>(value) ? " (" + std::to_string(py::len(value)) + " characters)" : "";
  return text.substr(0, kLongest) + "..." + length;
}

// A str as the UTF-8 text the library takes; ValueError naming `what` for
// text that UTF-8 cannot hold (a lone surrogate, as os.listdir gives for a
// name not in the file system's encoding) or that holds a NUL character.
std::string Text(const py::handle& text, const char* what) {
  Py_ssize_t size = 0;
  const char* utf8 = PyUnicode_AsUTF8AndSize(text.ptr(), &size);
  if (utf8 == nullptr) {
    PyErr_Clear();
    throw py::value_error(std::string(what) + " " + Shown(text) +
                          " holds a lone surrogate, which UTF-8 cannot hold (os.listdir gives such names for "
                          "bytes not in the file system's encoding)");
  }
  const std::string result(utf8, static_cast<size_t>(size));
  if (result.find('\0') != std::string::npos) {
    throw py::value_error(std::string(what) + " " + Shown(text) + " holds a NUL character");
  }
  return result;
}

// A parameter value: a Python or NumPy real number, else TypeError naming the
// parameter; a number beyond the doubles is a ValueError.
double ParameterValue(const std::string& token, const std::string& name, const py::handle& value) {
  static const py::object real = py::module_::import("numbers").attr("Real");
  static const py::object numpyBool = py::module_::import("numpy").attr("bool_");
  const std::string which = "parameter \"" + name + "\" of " + token;
  if (!py::isinstance(value, real) && !py::isinstance(value, numpyBool)) {
    throw py::type_error(which + " must be a number (int, float, bool or a NumPy scalar), not " + TypeName(value));
  }
  try {
    return py::float_(py::reinterpret_borrow<py::object>(value));
  } catch (py::error_already_set& e) {
    if (!e.matches(PyExc_OverflowError)) throw;
    throw py::value_error(which + " is too large for a float: " + std::string(py::str(e.value())));
  }
}

adaptive::Filter::Parameters ParameterList(const std::string& token, const py::object& parameters) {
  adaptive::Filter::Parameters values;
  if (parameters.is_none()) return values;
  if (!py::isinstance(parameters, py::module_::import("collections.abc").attr("Mapping"))) {
    throw py::type_error("parameters must be a dict of parameter names and numbers, not " + TypeName(parameters));
  }
  for (const py::handle& key : parameters) {
    if (!py::isinstance<py::str>(key)) {
      throw py::type_error("parameter names are str, not " + TypeName(key) + " (" + Shown(key) + ")");
    }
    const std::string name = Text(key, "parameter name");
    values.emplace_back(name, ParameterValue(token, name, parameters[key]));
  }
  return values;
}

std::string TextArgument(const py::object& value, const char* what, const char* expected) {
  const py::object text = value.is_none() ? py::str("") : py::module_::import("os").attr("fspath")(value);
  if (!py::isinstance<py::str>(text)) {
    throw py::type_error(std::string(what) + " must be " + expected + ", not " + TypeName(value));
  }
  return Text(text, what);
}

std::string QuotedList(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "'" : ", '") + name + "'";
  return "[" + list + "]";
}

// The coefficients of every channel in the layout of np.concatenate(f.weights)
// and of a history row: each channel's numerator, then its denominator after
// the leading 1. WriteChannel returns the end of what it wrote.
double* WriteChannel(const adaptive::ChannelWeights& channel, double* target) {
  target = std::copy(channel.numerator.begin(), channel.numerator.end(), target);
  return std::copy(channel.denominator.begin() + 1, channel.denominator.end(), target);
}

size_t ChannelSize(const adaptive::ChannelWeights& channel) {
  return channel.numerator.size() + channel.denominator.size() - 1;
}

// Sets the MemoryError of `rows` × `columns` values for `what` that cannot
// be had, saying the size they need; `detail` says who refused them.
void RefuseMemory(size_t rows, size_t columns, const std::string& what, const std::string& detail) {
  char size[64];
  std::snprintf(size, sizeof size, "%.3g GiB",
                static_cast<double>(rows) * static_cast<double>(columns) * sizeof(double) / (1 << 30));
  PyErr_SetString(PyExc_MemoryError, (what + " (" + std::to_string(rows) + " x " + std::to_string(columns) +
                                      " float64 values) need " + size + ", more than this process can have; " +
                                      "nothing was run (" + detail + ")")
                                         .c_str());
}

// A new float64 array of `rows` × `columns`; MemoryError saying what it was
// for and the size it needs when that cannot be had, before anything runs.
Samples NewArray(size_t rows, size_t columns, const std::string& what) {
  try {
    return Samples({rows, columns});
  } catch (py::error_already_set& e) {
    if (!e.matches(PyExc_MemoryError) && !e.matches(PyExc_ValueError)) throw;
    RefuseMemory(rows, columns, what, "NumPy: " + std::string(py::str(e.value())));
    throw py::error_already_set();
  }
}

// Room in `history` for `rows` × `columns` values, as NewArray.
void ReserveRows(adaptive::WeightsHistory& history, size_t rows, size_t columns, const std::string& what) {
  try {
    history.reserve(rows, columns);
  } catch (const std::exception& e) {
    if (dynamic_cast<const std::bad_alloc*>(&e) == nullptr && dynamic_cast<const std::length_error*>(&e) == nullptr) {
      throw;
    }
    RefuseMemory(rows, columns, what, e.what());
    throw py::error_already_set();
  }
}

// The rows of `history` as an array of `columns` columns that takes their
// storage over, with no copy.
Samples TakeRows(adaptive::WeightsHistory& history, size_t columns) {
  const size_t rows = history.rows();
  if (rows == 0) return Samples({rows, columns});
  auto* values = new std::vector<double>(history.takeData());
  const py::capsule owner(values, [](void* kept) { delete static_cast<std::vector<double>*>(kept); });
  return Samples({rows, columns}, values->data(), owner);
}

// The first `rows` rows of `array` as a copy of their own, so that an
// exception that keeps them does not keep the whole array alive; the rows in
// place when no copy can be had.
py::object Head(const py::array& array, size_t rows) {
  const py::object view = array[py::slice(0, static_cast<py::ssize_t>(rows), 1)];
  try {
    return view.attr("copy")();
  } catch (py::error_already_set&) {
    return view;
  }
}

class PythonFilter;

// The filters of this process not yet collected, for the fork and exit hooks
// (module init); changed and read with the GIL held. Never destroyed, as the
// hooks may run until the interpreter ends.
std::unordered_set<PythonFilter*>& LiveFilters() {
  static auto* live = new std::unordered_set<PythonFilter*>();
  return *live;
}

// One filter as Python holds it: the token instance, the count of samples it
// has run, the watch that warns once when its outputs run away and the lock
// that keeps it to one call at a time.
class PythonFilter {
 public:
  PythonFilter(const py::object& token, const py::object& parameters, const py::object& weights)
      : filter(MakeFilter(token, parameters, weights)), driver(filter) {
    driver.watchDivergence();
    LiveFilters().insert(this);
  }

  // Collected while open: warns as Python warns of an unclosed file, then
  // closes, and says so when that close fails (the coefficients may be lost).
  ~PythonFilter() {
    py::gil_scoped_acquire gil;
    LiveFilters().erase(this);
    if (!filter.isOpen()) return;
    py::error_scope keep;  // an exception in flight survives the collection
    if (origin != Origin::kOwn) {
      abandon();
      return;
    }
    warn(PyExc_ResourceWarning, "unclosed adaptive_filters.Filter " + describe() +
                                    ", closed when collected: call close() or use a with block to write its "
                                    "final-weights files when you choose");
    closeWarningOfFailure("the collected " + token().name + " filter");
  }

  PythonFilter(const PythonFilter&) = delete;
  PythonFilter& operator=(const PythonFilter&) = delete;

  const adaptive::TokenInfo& token() const { return filter.token(); }
  bool closed() const { return !open.load(); }
  int64_t samples() const { return ran.load(); }

  py::dict parameters() const {
    requireOpen();
    py::dict values;
    const std::vector<double>& given = filter.parameters();
    for (size_t k = 0; k < given.size(); ++k) values[py::str(token().parameterNames[k])] = given[k];
    return values;
  }

  std::string describe() const {
    return token().name + " " + QuotedList(token().inputNames) + " -> " + QuotedList(token().outputNames);
  }

  // Runs the rows of `x` in chunks with the GIL released, checking for
  // signals and warning between chunks. The first chunk is one sample and
  // each next one at most twice the last, sized to last about kChunkTime:
  // Ctrl-C is heard after one sample at the start, and about every
  // kChunkTime after. Any exception out of the call once it has begun (Ctrl-C's
  // KeyboardInterrupt, a warning made an error, memory running out) carries
  // the number of whole samples run (`samples_done`), copies of their
  // outputs (`outputs`) and, with a history, of its rows so far (`history`).
  //
  // With `weightsEvery` (not None) the coefficients are recorded every so
  // many samples into the history, made whole before the first sample
  // (MemoryError with its size when it cannot be had), and the result is the
  // outputs and that history.
  py::object process(const py::object& x, const py::object& weightsEvery) {
    RefuseAtExit("process() of the " + token().name + " filter");
    const FilterLock::Hold hold = acquire("process()");
    requireUsable();
    const Samples in = InputArray(x, 2, filter.inputCount(), "x");
    const size_t every = weightsEvery.is_none() ? 0 : recordingInterval(weightsEvery);
    const size_t total = static_cast<size_t>(in.shape(0));
    const size_t inputs = filter.inputCount();
    const size_t outputs = filter.outputCount();
    Samples out = NewArray(total, outputs, "the outputs of " + std::to_string(total) + " samples");
    adaptive::WeightsHistory history(every == 0 ? 1 : every);
    size_t columns = 0;
    if (every != 0) {
      for (const adaptive::ChannelWeights& channel : filter.weights()) columns += ChannelSize(channel);
      ReserveRows(history, total / every, columns,
                  "the coefficient history of " + std::to_string(total) + " samples every " + std::to_string(every) +
                      " (record less often to need less)");
      driver.record(&history);
    }
    const double* source = in.data();
    double* target = out.mutable_data();
    const int64_t before = driver.samplesRun();
    size_t done = 0;
    // What the call did however it ended: the samples run, the count that
    // Python reads, and the rows recorded, which the driver records no more.
    const auto finish = [&] {
      done = static_cast<size_t>(driver.samplesRun() - before);
      ran.store(driver.samplesRun());
      driver.record(nullptr);
    };
    try {
      for (size_t chunk = 1; done < total;) {
        const size_t count = std::min(chunk, total - done);
        std::chrono::steady_clock::duration took;
        WithoutGil([&] {
          const auto start = std::chrono::steady_clock::now();
          driver.run(source + done * inputs, count, target + done * outputs);
          took = std::chrono::steady_clock::now() - start;
        });
        done = static_cast<size_t>(driver.samplesRun() - before);
        ran.store(driver.samplesRun());
        const std::string warning = driver.takeWarning();
        if (!warning.empty()) warn(PyExc_RuntimeWarning, warning, true);
        if (PyErr_CheckSignals() != 0) throw py::error_already_set();
        RefuseAtExit("running the " + token().name + " filter further");
        chunk = nextChunk(chunk, took);
      }
    } catch (py::error_already_set& e) {
      finish();
      annotate(e, done, out, every != 0 ? std::optional<Samples>(TakeRows(history, columns)) : std::nullopt);
      throw;
    } catch (const std::exception& e) {
      finish();
      PyErr_SetString(dynamic_cast<const std::bad_alloc*>(&e) != nullptr ? PyExc_MemoryError : PyExc_RuntimeError,
                      ("the " + token().name + " filter stopped after " + std::to_string(done) +
                       " samples of this call: " + e.what()).c_str());
      py::error_already_set raised;
      annotate(raised, done, out, every != 0 ? std::optional<Samples>(TakeRows(history, columns)) : std::nullopt);
      throw raised;
    }
    finish();
    if (every == 0) return std::move(out);
    return py::make_tuple(out, TakeRows(history, columns));
  }

  // The coefficients now, one array per channel (numerator, then the
  // denominator after its leading 1). Served also from inside the filter's
  // own call on this thread (a signal handler's or a warnings hook's read),
  // where the filter stands between two samples.
  py::list weights() {
    const FilterLock::Hold hold = gate.heldHere() ? FilterLock::Hold() : gate.acquire();
    requireUsable();
    py::list channels;
    for (const adaptive::ChannelWeights& channel : filter.weights()) {
      Samples values(ChannelSize(channel));
      WriteChannel(channel, values.mutable_data());
      channels.append(values);
    }
    return channels;
  }

  Samples step(const py::object& row) {
    const FilterLock::Hold hold = acquire("step()");
    requireUsable();
    const Samples in = InputArray(row, 1, filter.inputCount(), "row");
    Samples out(filter.outputCount());
    driver.step(in.data(), out.mutable_data());
    ran.store(driver.samplesRun());
    const std::string warning = driver.takeWarning();
    if (!warning.empty()) warn(PyExc_RuntimeWarning, warning, true);
    return out;
  }

  void close() {
    const FilterLock::Hold hold = acquire("close()");
    open = false;  // closed even when the library reports a failure
    if (origin != Origin::kOwn) abandon();
    else filter.close();
  }

  // `with`: a closed filter is refused as a closed file is.
  void enter() const { requireOpen(); }

  // The exit hook's: a filter of this process still open at interpreter exit
  // is closed as if collected, after waiting for a call on another thread
  // (which stops at its next chunk, interpreterExiting being set).
  void closeAtExit() {
    if (!filter.isOpen() || origin != Origin::kOwn) return;
    const FilterLock::Hold hold = gate.heldHere() ? FilterLock::Hold() : gate.acquire(true);
    if (!filter.isOpen()) return;
    warn(PyExc_ResourceWarning, "unclosed adaptive_filters.Filter " + describe() +
                                    ", closed at interpreter exit: call close() or use a with block to write "
                                    "its final-weights files when you choose");
    closeWarningOfFailure("the " + token().name + " filter left open at interpreter exit");
  }

  // The fork hook's, in the child: the filter is the parent's, whose files
  // the child never writes. Its lock is made anew if a parent thread held
  // it; a filter that such a thread was running may be cut mid-sample here
  // and is refused.
  void afterForkInChild() {
    if (gate.renewIfHeldAtFork()) origin = Origin::kTorn;
    else if (origin == Origin::kOwn) origin = Origin::kInherited;
  }

 private:
  // Whose filter this is: this process's, a forked child's copy of its
  // parent's, or such a copy cut in the middle of a call.
  enum class Origin { kOwn, kInherited, kTorn };

  static constexpr size_t kLargestChunk = 1 << 20;
  static constexpr std::chrono::milliseconds kChunkTime{20};

  // The chunk after one of `count` samples that took `took`: about
  // kChunkTime long, never more than twice the last. The chunking changes no
  // output: the samples run one by one all the same.
  static size_t nextChunk(size_t count, std::chrono::steady_clock::duration took) {
    const double seconds = std::chrono::duration<double>(took).count();
    const double wanted = std::chrono::duration<double>(kChunkTime).count();
    if (seconds <= 0.0) return std::min(count * 2, kLargestChunk);
    const double scaled = static_cast<double>(count) * std::min(2.0, wanted / seconds);
    return std::clamp(static_cast<size_t>(scaled), size_t{1}, kLargestChunk);
  }

  static adaptive::Filter MakeFilter(const py::object& token, const py::object& parameters,
                                     const py::object& weights) {
    if (!py::isinstance<py::str>(token)) throw py::type_error("token must be a str, not " + TypeName(token));
    const std::string name = Text(token, "token");
    return adaptive::Filter(name, ParameterList(name, parameters),
                            TextArgument(weights, "weights", "a file name (str or os.PathLike) or None"));
  }

  // Warns, or (a warning filter made it an error) throws it; from a
  // destructor or the exit hook, which must not throw, the error goes to
  // sys.unraisablehook.
  static void warn(PyObject* category, const std::string& text, bool mayThrow = false) {
    if (PyErr_WarnEx(category, text.c_str(), 1) == 0) return;
    if (mayThrow) throw py::error_already_set();
    PyErr_WriteUnraisable(Py_None);
  }

  // What a process call did before `e` ended it, on `e` where its type
  // allows attributes.
  static void annotate(py::error_already_set& e, size_t done, const Samples& out,
                       const std::optional<Samples>& history) {
    const auto set = [&](const char* name, const py::object& value) {
      if (PyObject_SetAttrString(e.value().ptr(), name, value.ptr()) != 0) PyErr_Clear();
    };
    set("samples_done", py::int_(done));
    set("outputs", Head(out, done));
    if (history) set("history", Head(*history, static_cast<size_t>(history->shape(0))));
  }

  // Closes, saying in a RuntimeWarning when the library reports a failure
  // (the coefficients may be lost); `which` names the filter.
  void closeWarningOfFailure(const std::string& which) {
    open = false;
    try {
      filter.close();
    } catch (const adaptive::Error& e) {
      warn(PyExc_RuntimeWarning, "closing " + which + " failed (status " + std::to_string(e.status()) +
                                     "): " + e.what());
    }
  }

  // Ends a forked child's copy without writing: the files are the parent's.
  // The copy's token is left allocated (the child's memory, freed when it
  // ends), as ending it would write them.
  void abandon() {
    open = false;
    static_cast<void>(std::make_unique<adaptive::Filter>(std::move(filter)).release());
  }

  // The filter's lock, for a call that uses or changes it, so that two
  // threads never run one filter at once (distinct filters run in parallel).
  // From inside the filter's own call on this thread, which holds the lock,
  // the call is refused rather than waiting for itself.
  FilterLock::Hold acquire(const char* call) {
    if (gate.heldHere()) {
      throw std::runtime_error(std::string(call) + " of the " + token().name +
                            " filter was called from inside its own process() or step() on this thread (a "
                            "signal handler or a warnings hook, which run between its samples): a filter "
                            "cannot be used from within its own call. Raise an exception there to end the "
                            "call, then use or close the filter");
    }
    return gate.acquire();
  }

  void requireOpen() const {
    if (!filter.isOpen()) throw py::value_error("the " + token().name + " filter is closed");
  }

  void requireUsable() const {
    requireOpen();
    if (origin == Origin::kTorn) {
      throw std::runtime_error("this " + token().name +
                            " filter was inherited by a forked child while another thread of the parent was "
                            "running it: its copy here may be cut in the middle of a sample and cannot be used "
                            "(close() ends it, writing nothing)");
    }
  }

  // A weights_every argument: an int of at least 1.
  static size_t recordingInterval(const py::object& every) {
    if (!py::isinstance<py::int_>(every) && !py::isinstance(every, py::module_::import("numpy").attr("integer"))) {
      throw py::type_error("weights_every must be an int (record every so many samples) or None, not " +
                           TypeName(every));
    }
    const py::int_ value(every);
    if (value < py::int_(1)) {
      throw py::value_error("weights_every must be at least 1, not " + std::string(py::repr(value)));
    }
    const size_t interval = PyLong_AsSize_t(value.ptr());
    if (interval == static_cast<size_t>(-1) && PyErr_Occurred()) {
      PyErr_Clear();
      return SIZE_MAX;  // beyond any block: records nothing
    }
    return interval;
  }

  adaptive::Filter filter;
  adaptive::Driver driver;       // runs `filter`, watching it for divergence
  std::atomic<int64_t> ran{0};  // the driver's count, read with the GIL while a call runs without it
  std::atomic<bool> open{true};  // likewise, for `closed` and repr
  Origin origin = Origin::kOwn;  // changed by the fork hook, read with the GIL
  FilterLock gate;
};

py::dict TokenDictionary(const adaptive::TokenInfo& token) {
  py::dict parameters;
  for (size_t k = 0; k < token.parameterNames.size(); ++k) {
    parameters[py::str(token.parameterNames[k])] = token.parameterDefaults[k];
  }
  py::dict entry;
  entry["name"] = token.name;
  entry["description"] = token.description;
  entry["family"] = token.familyName;
  entry["in_catalogue"] = token.inCatalogue;
  entry["channels"] = token.filterChannels();
  entry["general"] = token.isGeneral();
  entry["inputs"] = token.inputNames;
  entry["outputs"] = token.outputNames;
  entry["parameters"] = parameters;
  entry["default_weights"] = token.defaultFileName;
  return entry;
}

}  // namespace

PYBIND11_MODULE(_adaptive, m) {
  m.doc() = docstrings::kModule;
  m.attr("__version__") = ADAPTIVE_VERSION;

  static py::exception<adaptive::Error> error(m, "Error");
  error.doc() = docstrings::kError;
  py::register_exception_translator([](std::exception_ptr thrown) {
    try {
      if (thrown) std::rethrow_exception(thrown);
    } catch (const adaptive::Error& e) {
      py::object instance = py::reinterpret_borrow<py::object>(error.ptr())(e.what());
      instance.attr("status") = e.status();
      PyErr_SetObject(error.ptr(), instance.ptr());
    }
  });

  m.def(
      "tokens",
      [] {
        py::list list;
        for (const adaptive::TokenInfo& token : adaptive::tokens()) list.append(TokenDictionary(token));
        return list;
      },
      docstrings::kTokens);

  m.def(
      "describe",
      [](const py::str& token) { return adaptive::Describe(adaptive::Library::linked().token(Text(token, "token"))); },
      py::arg("token"),
      "What a token computes, as ``adaptsim describe`` shows it.\n\n"
      "The update in one or two lines of maths; the input and output ports in order (which outputs\n"
      "are a-priori, which a-posteriori); every parameter with its default, meaning and accepted\n"
      "range; how to keep the filter stable (the 2*mu gain and step sizes adding across channels,\n"
      "P0 = I/Init, the QR tokens' Lambda on the square-root factor); the cost per sample; the\n"
      "final-weights file.\n\n"
      "Parameters\n----------\ntoken : str\n    The token's catalogue name, for example \"NLMS2\".\n\n"
      "Returns\n-------\nstr\n    Lines of plain text, to print.\n\n"
      "Raises\n------\nadaptive.Error\n    For a name the catalogue does not know.\n\n"
      "Examples\n--------\n>>> print(adaptive_filters.describe(\"NLMS2\"))  # doctest: +SKIP\n");
  // The same notes field by field, for the reference manual's token pages.
  m.def("_token_notes", [](const std::string& token) {
    py::dict fields;
    adaptive::TokenNotesFields notes;
    if (!adaptive::FindNotesFields(token, &notes)) return fields;
    const auto names = [](const std::vector<std::pair<std::string, std::string>>& notes) {
      py::dict meanings;
      for (const auto& [name, meaning] : notes) meanings[py::str(name)] = meaning;
      return meanings;
    };
    fields["tokens"] = notes.tokens;
    fields["summary"] = notes.summary;
    fields["update"] = notes.update;
    fields["symbols"] = notes.symbols;
    fields["parameters"] = names(notes.parameters);  // each meaning followed by the token's accepted range
    fields["outputs"] = names(notes.outputs);
    fields["stability"] = notes.stability;
    fields["cost"] = notes.cost;
    fields["latency"] = notes.latency;
    fields["weights_one_file"] = notes.weightsOneFile;
    fields["weights_per_channel"] = notes.weightsPerChannel;
    return fields;
  });

  // A forked child's copies of the filters are its parent's (they never write
  // the parent's files), and those still open at interpreter exit are closed
  // then, whatever still refers to them.
  py::module_::import("os").attr("register_at_fork")(py::arg("after_in_child") = py::cpp_function([] {
    adaptive::python::threadsWithoutGil = 0;  // the parent's other threads
    for (PythonFilter* f : LiveFilters()) f->afterForkInChild();
  }));
  py::module_::import("atexit").attr("register")(py::cpp_function([] {
    adaptive::python::interpreterExiting = true;
    const std::vector<PythonFilter*> open(LiveFilters().begin(), LiveFilters().end());
    for (PythonFilter* f : open) {
      if (LiveFilters().count(f) != 0) f->closeAtExit();
    }
    // Calls still without the GIL stop within a chunk or a slice of waiting.
    while (adaptive::python::threadsWithoutGil.load() > 0) {
      {
        py::gil_scoped_release release;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      if (PyErr_CheckSignals() != 0) throw py::error_already_set();
    }
  }));

  py::class_<PythonFilter>(m, "Filter", docstrings::kFilter)
      .def(py::init<const py::object&, const py::object&, const py::object&>(), py::arg("token"),
           py::arg("parameters") = py::none(), py::arg("weights") = py::none())
      .def_property_readonly("token", [](const PythonFilter& f) { return f.token().name; }, docstrings::kToken)
      .def_property_readonly("inputs", [](const PythonFilter& f) { return f.token().inputNames; },
                             docstrings::kInputs)
      .def_property_readonly("outputs", [](const PythonFilter& f) { return f.token().outputNames; },
                             docstrings::kOutputs)
      .def_property_readonly("parameters", &PythonFilter::parameters, docstrings::kParameters)
      .def_property_readonly("samples", &PythonFilter::samples, docstrings::kSamples)
      .def_property_readonly("closed", &PythonFilter::closed, docstrings::kClosed)
      .def_property_readonly("weights", &PythonFilter::weights, docstrings::kWeights)
      .def("process", &PythonFilter::process, py::arg("x"), py::arg("weights_every") = py::none(),
           docstrings::kProcess)
      .def("step", &PythonFilter::step, py::arg("row"), docstrings::kStep)
      .def("close", &PythonFilter::close, docstrings::kClose)
      .def(
          "__enter__",
          [](PythonFilter& f) -> PythonFilter& {
            f.enter();
            return f;
          },
          py::return_value_policy::reference_internal)
      .def("__exit__", [](PythonFilter& f, const py::args&) { f.close(); })
      .def("__repr__", [](const PythonFilter& f) {
        return "<adaptive_filters.Filter " + f.describe() + ", " +
               (f.closed() ? std::string("closed") : "open, " + std::to_string(f.samples()) + " samples run") + ">";
      });
}
