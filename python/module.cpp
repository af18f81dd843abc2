// The extension module of the Python package: adaptive::Filter and the
// catalogue over NumPy arrays.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <string>

#include "adaptive/describe.h"
#include "adaptive/filter.h"
#include "host/token_notes.h"

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

std::unique_ptr<adaptive::Filter> MakeFilter(const std::string& token, const py::object& parameters,
                                             const py::object& weights) {
  adaptive::Filter::Parameters values;
  if (!parameters.is_none()) {
    for (const auto& item : parameters.cast<py::dict>()) {
      values.emplace_back(item.first.cast<std::string>(), item.second.cast<double>());
    }
  }
  const std::string file = py::module_::import("os").attr("fspath")(weights).cast<std::string>();
  return std::make_unique<adaptive::Filter>(token, values, file);
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
    fields["parameters"] = names(notes->parameters, std::size(notes->parameters));
    fields["outputs"] = names(notes->outputs, std::size(notes->outputs));
    fields["stability"] = notes->stability;
    fields["cost"] = notes->cost;
    fields["weights_one_file"] = adaptive::notes::kWeightsOneFile;
    fields["weights_per_channel"] = adaptive::notes::kWeightsPerChannel;
    return fields;
  });

  py::class_<adaptive::Filter>(m, "Filter",
                               "One token instance. Filter(token, parameters=None, weights=\"\"): parameters by "
                               "their exact catalogue names, the others at their defaults; weights names the "
                               "final-weights file written by close() (empty: none).")
      .def(py::init(&MakeFilter), py::arg("token"), py::arg("parameters") = py::none(), py::arg("weights") = "")
      .def_property_readonly("token", [](const adaptive::Filter& f) { return f.token().name; })
      .def_property_readonly("inputs", [](const adaptive::Filter& f) { return f.token().inputNames; })
      .def_property_readonly("outputs", [](const adaptive::Filter& f) { return f.token().outputNames; })
      .def_property_readonly("closed", [](const adaptive::Filter& f) { return !f.isOpen(); })
      .def(
          "process",
          [](adaptive::Filter& f, const py::object& x) {
            const Samples in = CheckedSamples(x, 2, f.inputCount(), "x");
            const size_t samples = static_cast<size_t>(in.shape(0));
            Samples out({samples, f.outputCount()});
            const double* source = in.data();
            double* target = out.mutable_data();
            {
              py::gil_scoped_release release;
              f.process(source, samples, target);
            }
            return out;
          },
          py::arg("x"), "Runs one sample per row of x (samples, inputs); returns (samples, outputs).")
      .def(
          "step",
          [](adaptive::Filter& f, const py::object& row) {
            const Samples in = CheckedSamples(row, 1, f.inputCount(), "row");
            Samples out(f.outputCount());
            f.step(in.data(), out.mutable_data());
            return out;
          },
          py::arg("row"), "Runs one sample: row (inputs,) -> outputs (outputs,).")
      .def("close", &adaptive::Filter::close, "Writes the final-weights files; later calls do nothing.")
      .def("__enter__", [](adaptive::Filter& f) -> adaptive::Filter& { return f; },
           py::return_value_policy::reference_internal)
      .def("__exit__", [](adaptive::Filter& f, const py::args&) { f.close(); });
}
