// The extension module of the Python package: adaptive::Filter and the
// catalogue over NumPy arrays.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <mutex>
#include <string>

#include "adaptive/filter.h"

namespace py = pybind11;

namespace {

using Samples = py::array_t<double, py::array::c_style | py::array::forcecast>;

// `value` as a C-contiguous float64 array of `columns` columns (and `rows`
// dimensions: 2 for a block of samples, 1 for one sample), or ValueError saying
// what was expected.
Samples CheckedSamples(const py::object& value, int rows, size_t columns, const char* what) {
  const std::string expected = std::string(what) + " must be a float64 NumPy array of shape " +
                               (rows == 2 ? "(samples, " + std::to_string(columns) + ")"
                                          : "(" + std::to_string(columns) + ",)");
  if (!py::isinstance<py::array>(value)) throw py::value_error(expected + ", not " + std::string(py::str(value.get_type())));
  const py::array array = value.cast<py::array>();
  if (!array.dtype().is(py::dtype::of<double>())) {
    throw py::value_error(expected + "; its dtype is " + std::string(py::str(array.dtype())));
  }
  if (array.ndim() != rows || static_cast<size_t>(array.shape(rows - 1)) != columns) {
    std::string shape;
    for (py::ssize_t d = 0; d < array.ndim(); ++d) shape += (d == 0 ? "" : ", ") + std::to_string(array.shape(d));
    throw py::value_error(expected + "; its shape is (" + shape + (array.ndim() == 1 ? ",)" : ")"));
  }
  return Samples::ensure(array);
}

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

// A Filter with a lock of its own. process() and close() run without the GIL,
// so that filters on several threads run in parallel; the lock keeps two
// threads from using one filter at once.
struct LockedFilter : adaptive::Filter {
  using adaptive::Filter::Filter;
  std::mutex lock;
};

std::unique_ptr<LockedFilter> MakeFilter(const std::string& token, const py::object& parameters,
                                             const py::object& weights) {
  adaptive::Filter::Parameters values;
  if (!parameters.is_none()) {
    for (const auto& item : parameters.cast<py::dict>()) {
      values.emplace_back(item.first.cast<std::string>(), item.second.cast<double>());
    }
  }
  const std::string file = py::module_::import("os").attr("fspath")(weights).cast<std::string>();
  return std::make_unique<LockedFilter>(token, values, file);
}

void Close(LockedFilter& f) {
  py::gil_scoped_release release;
  std::lock_guard<std::mutex> hold(f.lock);
  f.close();
}

}  // namespace

PYBIND11_MODULE(_adaptive, m) {
  m.doc() = "The adaptive filter tokens over NumPy arrays.";

  static py::exception<adaptive::Error> error(m, "Error");
  error.doc() = "A token that cannot be created or closed, or a name the catalogue does not know; "
                ".status holds the library's status code.";
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
      "The catalogue: one dict per token (name, description, family, channels, general, inputs, outputs, "
      "parameters with their defaults, default_weights).");

  py::class_<LockedFilter>(m, "Filter",
                               "One token instance. Filter(token, parameters=None, weights=\"\"): parameters by "
                               "their exact catalogue names, the others at their defaults; weights names the "
                               "final-weights file written by close() (empty: none).")
      .def(py::init(&MakeFilter), py::arg("token"), py::arg("parameters") = py::none(), py::arg("weights") = "")
      .def_property_readonly("token", [](const LockedFilter& f) { return f.token().name; })
      .def_property_readonly("inputs", [](const LockedFilter& f) { return f.token().inputNames; })
      .def_property_readonly("outputs", [](const LockedFilter& f) { return f.token().outputNames; })
      .def_property_readonly("closed",
                             [](LockedFilter& f) {
                               std::lock_guard<std::mutex> hold(f.lock);
                               return !f.isOpen();
                             })
      .def(
          "process",
          [](LockedFilter& f, const py::object& x) {
            const Samples in = CheckedSamples(x, 2, f.inputCount(), "x");
            const size_t samples = static_cast<size_t>(in.shape(0));
            Samples out({samples, f.outputCount()});
            const double* source = in.data();
            double* target = out.mutable_data();
            {
              py::gil_scoped_release release;
              std::lock_guard<std::mutex> hold(f.lock);
              f.process(source, samples, target);
            }
            return out;
          },
          py::arg("x"), "Runs one sample per row of x (samples, inputs); returns (samples, outputs).")
      .def(
          "step",
          [](LockedFilter& f, const py::object& row) {
            const Samples in = CheckedSamples(row, 1, f.inputCount(), "row");
            Samples out(f.outputCount());
            std::lock_guard<std::mutex> hold(f.lock);
            f.step(in.data(), out.mutable_data());
            return out;
          },
          py::arg("row"), "Runs one sample: row (inputs,) -> outputs (outputs,).")
      .def("close", &Close, "Writes the final-weights files; later calls do nothing.")
      .def("__enter__", [](LockedFilter& f) -> LockedFilter& { return f; },
           py::return_value_policy::reference_internal)
      .def("__exit__", [](LockedFilter& f, const py::args&) { Close(f); });
}
