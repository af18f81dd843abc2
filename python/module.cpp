// The extension module of the Python package: adaptive::Filter and the
// catalogue over NumPy arrays, with what a Python user expects around them:
// array-likes converted, TypeError for values that are not numbers, Ctrl-C
// heard during a long call, a RuntimeWarning when a filter diverges and a
// ResourceWarning when one is collected unclosed.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "adaptive/describe.h"
#include "adaptive/filter.h"
#include "api/divergence_watch.h"
#include "api/parameter_notes.h"
#include "host/token_notes.h"
#include "python/docstrings.h"

namespace py = pybind11;

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
      throw py::type_error("parameter names are str, not " + TypeName(key) + " (" + std::string(py::repr(key)) + ")");
    }
    const std::string name = key.cast<std::string>();
    if (name.find('\0') != std::string::npos) {
      throw py::value_error("parameter names hold no NUL character: " + std::string(py::repr(key)));
    }
    values.emplace_back(name, ParameterValue(token, name, parameters[key]));
  }
  return values;
}

std::string TextArgument(const py::object& value, const char* what, const char* expected) {
  const py::object text = value.is_none() ? py::str("") : py::module_::import("os").attr("fspath")(value);
  if (!py::isinstance<py::str>(text)) {
    throw py::type_error(std::string(what) + " must be " + expected + ", not " + TypeName(value));
  }
  const std::string result = text.cast<std::string>();
  if (result.find('\0') != std::string::npos) throw py::value_error(std::string(what) + " holds a NUL character");
  return result;
}

std::string QuotedList(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "'" : ", '") + name + "'";
  return "[" + list + "]";
}

// One filter as Python holds it: the token instance, the count of samples it
// has run and the watch that warns once when its outputs run away.
class PythonFilter {
 public:
  PythonFilter(const py::object& token, const py::object& parameters, const py::object& weights)
      : filter(MakeFilter(token, parameters, weights)),
        watch(filter.token().outputNames, adaptive::StepSizeAdvice(filter.token())) {}

  // Collected while open: warns as Python warns of an unclosed file, then
  // closes, and says so when that close fails (the coefficients may be lost).
  ~PythonFilter() {
    if (!filter.isOpen()) return;
    py::gil_scoped_acquire gil;
    py::error_scope keep;  // an exception in flight survives the collection
    Warn(PyExc_ResourceWarning, "unclosed adaptive.Filter " + Describe() +
                                    ", closed when collected: call close() or use a with block to write its "
                                    "final-weights files when you choose");
    try {
      filter.close();
    } catch (const adaptive::Error& e) {
      Warn(PyExc_RuntimeWarning, "closing the collected " + filter.token().name + " filter failed (status " +
                                     std::to_string(e.status()) + "): " + e.what());
    }
  }

  PythonFilter(const PythonFilter&) = delete;
  PythonFilter& operator=(const PythonFilter&) = delete;

  const adaptive::TokenInfo& token() const { return filter.token(); }
  bool closed() const { return !open.load(); }
  int64_t samples() const { return ran.load(); }

  py::dict parameters() const {
    RequireOpen();
    py::dict values;
    const std::vector<double>& given = filter.parameters();
    for (size_t k = 0; k < given.size(); ++k) values[py::str(token().parameterNames[k])] = given[k];
    return values;
  }

  std::string Describe() const {
    return token().name + " " + QuotedList(token().inputNames) + " -> " + QuotedList(token().outputNames);
  }

  // Runs the rows of `x` in chunks with the GIL released, checking for
  // signals and warning between chunks; an exception raised there (Ctrl-C's
  // KeyboardInterrupt, a warning made an error) carries the number of whole
  // samples run (`samples_done`) and their outputs (`outputs`).
  //
  // With `weightsEvery` (not None) the coefficients are recorded every so
  // many samples, and the result is the outputs and that history.
  py::object process(const py::object& x, const py::object& weightsEvery) {
    const std::unique_lock<std::mutex> hold = Acquire();
    RequireOpen();
    const Samples in = InputArray(x, 2, filter.inputCount(), "x");
    std::optional<adaptive::WeightsHistory> history;
    if (!weightsEvery.is_none()) history.emplace(RecordingInterval(weightsEvery));
    const size_t total = static_cast<size_t>(in.shape(0));
    const size_t inputs = filter.inputCount();
    const size_t outputs = filter.outputCount();
    Samples out({total, outputs});
    const double* source = in.data();
    double* target = out.mutable_data();
    size_t done = 0;
    size_t chunk = kFirstChunk;
    while (done < total) {
      const size_t count = std::min(chunk, total - done);
      std::string warning;
      std::chrono::steady_clock::duration took;
      {
        py::gil_scoped_release release;
        const auto start = std::chrono::steady_clock::now();
        Run(source + done * inputs, count, target + done * outputs, &warning, history ? &*history : nullptr);
        took = std::chrono::steady_clock::now() - start;
      }
      done += count;
      try {
        if (!warning.empty()) Warn(PyExc_RuntimeWarning, warning, true);
        if (PyErr_CheckSignals() != 0) throw py::error_already_set();
      } catch (py::error_already_set& e) {
        Annotate(e.value(), "samples_done", py::int_(done));
        Annotate(e.value(), "outputs", out[py::slice(0, static_cast<py::ssize_t>(done), 1)]);
        throw;
      }
      chunk = NextChunk(count, took);
    }
    if (!history) return std::move(out);
    Samples recorded({history->rows(), history->columns()});
    std::copy(history->data().begin(), history->data().end(), recorded.mutable_data());
    return py::make_tuple(out, recorded);
  }

  // The coefficients now, one array per channel (numerator, then the
  // denominator after its leading 1).
  py::list weights() const {
    const std::unique_lock<std::mutex> hold = Acquire();
    RequireOpen();
    py::list channels;
    for (const adaptive::ChannelWeights& channel : filter.weights()) {
      Samples values(channel.numerator.size() + channel.denominator.size() - 1);
      double* target = std::copy(channel.numerator.begin(), channel.numerator.end(), values.mutable_data());
      std::copy(channel.denominator.begin() + 1, channel.denominator.end(), target);
      channels.append(values);
    }
    return channels;
  }

  Samples step(const py::object& row) {
    const std::unique_lock<std::mutex> hold = Acquire();
    RequireOpen();
    const Samples in = InputArray(row, 1, filter.inputCount(), "row");
    Samples out(filter.outputCount());
    std::string warning;
    Run(in.data(), 1, out.mutable_data(), &warning, nullptr);
    if (!warning.empty()) Warn(PyExc_RuntimeWarning, warning, true);
    return out;
  }

  void close() {
    const std::unique_lock<std::mutex> hold = Acquire();
    open = false;  // closed even when the library reports a failure
    filter.close();
  }

 private:
  // Chunks last about kChunkTime: short enough for Ctrl-C to feel immediate,
  // long enough that releasing the GIL costs nothing measurable. The chunking
  // changes no output: the samples run one by one all the same.
  static constexpr size_t kFirstChunk = 1024;
  static constexpr size_t kLargestChunk = 1 << 20;
  static constexpr std::chrono::milliseconds kChunkTime{20};

  static size_t NextChunk(size_t count, std::chrono::steady_clock::duration took) {
    const double seconds = std::chrono::duration<double>(took).count();
    const double wanted = std::chrono::duration<double>(kChunkTime).count();
    if (seconds <= 0.0) return std::min(count * 2, kLargestChunk);
    const double scaled = static_cast<double>(count) * std::min(2.0, wanted / seconds);
    return std::clamp(static_cast<size_t>(scaled), size_t{1}, kLargestChunk);
  }

  static adaptive::Filter MakeFilter(const py::object& token, const py::object& parameters,
                                     const py::object& weights) {
    if (!py::isinstance<py::str>(token)) throw py::type_error("token must be a str, not " + TypeName(token));
    const std::string name = token.cast<std::string>();
    if (name.find('\0') != std::string::npos) {
      throw py::value_error("token names hold no NUL character: " + std::string(py::repr(token)));
    }
    return adaptive::Filter(name, ParameterList(name, parameters),
                            TextArgument(weights, "weights", "a file name (str or os.PathLike) or None"));
  }

  // Warns, or (a warning filter made it an error) throws it; from a
  // destructor, which must not throw, the error goes to sys.unraisablehook.
  static void Warn(PyObject* category, const std::string& text, bool mayThrow = false) {
    if (PyErr_WarnEx(category, text.c_str(), 1) == 0) return;
    if (mayThrow) throw py::error_already_set();
    PyErr_WriteUnraisable(Py_None);
  }

  // An attribute on an exception in flight, where its type allows one.
  static void Annotate(const py::handle& exception, const char* name, const py::object& value) {
    if (PyObject_SetAttrString(exception.ptr(), name, value.ptr()) != 0) PyErr_Clear();
  }

  // The filter's own lock, so that two threads never run one filter at once
  // (distinct filters run in parallel). It is waited for without the GIL: a
  // thread holding the lock may need the GIL between chunks, and must never
  // wait for a thread that holds the GIL while waiting for the lock.
  std::unique_lock<std::mutex> Acquire() const {
    py::gil_scoped_release release;
    return std::unique_lock<std::mutex>(lock);
  }

  void RequireOpen() const {
    if (!filter.isOpen()) throw py::value_error("the " + token().name + " filter is closed");
  }

  // A weights_every argument: an int of at least 1.
  static size_t RecordingInterval(const py::object& every) {
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

  // Runs `samples` rows (recording into `history` when not null) and
  // watches them; called without the GIL.
  void Run(const double* inputs, size_t samples, double* outputs, std::string* warning,
           adaptive::WeightsHistory* history) {
    if (history != nullptr) filter.processUnchecked(inputs, samples, outputs, *history);
    else filter.processUnchecked(inputs, samples, outputs);
    const size_t in = filter.inputCount();
    const size_t out = filter.outputCount();
    for (size_t n = 0; n < samples && warning->empty(); ++n) {
      *warning = watch.check(ran.load() + static_cast<int64_t>(n), inputs + n * in, in, outputs + n * out);
    }
    ran += static_cast<int64_t>(samples);
  }

  adaptive::Filter filter;
  adaptive::DivergenceWatch watch;
  std::atomic<int64_t> ran{0};  // read with the GIL while a call runs without it
  std::atomic<bool> open{true};  // likewise, for `closed` and repr
  mutable std::mutex lock;
};

py::dict TokenDictionary(const adaptive::TokenInfo& token) {
  py::dict parameters;
  for (size_t k = 0; k < token.parameterNames.size(); ++k) {
    parameters[py::str(token.parameterNames[k])] = token.parameterDefaults[k];
  }
  py::dict entry;
  entry["name"] = token.name;
  entry["description"] = token.description;
  entry["family"] = adaptive::FamilyName(token.family());
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
      "describe", [](const std::string& token) { return adaptive::Describe(adaptive::Library::linked().token(token)); },
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
      "Examples\n--------\n>>> print(adaptive.describe(\"NLMS2\"))  # doctest: +SKIP\n");
  // The same notes field by field, for the reference manual's token pages.
  m.def("_token_notes", [](const std::string& token) {
    py::dict fields;
    const adaptive::TokenNotes* notes = adaptive::FindTokenNotes(token);
    if (notes == nullptr) return fields;
    const auto names = [](const adaptive::NameNote* first, size_t count) {
      py::dict meanings;
      for (size_t k = 0; k < count && first[k].name != nullptr; ++k) meanings[first[k].name] = first[k].meaning;
      return meanings;
    };
    fields["tokens"] = notes->tokens;
    fields["summary"] = notes->summary;
    fields["update"] = notes->update;
    fields["symbols"] = notes->symbols;
    py::dict parameters;  // each meaning followed by the token's accepted range
    for (const adaptive::NameNote& note : notes->parameters) {
      const std::string text = note.name == nullptr ? "" : adaptive::ParameterNote(token, note.name);
      if (!text.empty()) parameters[note.name] = text;
    }
    fields["parameters"] = parameters;
    fields["outputs"] = names(notes->outputs, std::size(notes->outputs));
    fields["stability"] = notes->stability;
    fields["cost"] = notes->cost;
    fields["weights_one_file"] = adaptive::notes::kWeightsOneFile;
    fields["weights_per_channel"] = adaptive::notes::kWeightsPerChannel;
    return fields;
  });

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
      .def("__enter__", [](PythonFilter& f) -> PythonFilter& { return f; }, py::return_value_policy::reference_internal)
      .def("__exit__", [](PythonFilter& f, const py::args&) { f.close(); })
      .def("__repr__", [](const PythonFilter& f) {
        return "<adaptive.Filter " + f.Describe() + ", " +
               (f.closed() ? std::string("closed") : "open, " + std::to_string(f.samples()) + " samples run") + ">";
      });
}
