// The adaptive filters as C++ objects: one Filter is one token instance that
// lives as in the simulator (created once, one step per sample, closed once,
// which writes the final-weights files), so it computes the same bits as the
// plug-in in a diagram.
//
//   adaptive::Filter filter("RLS3", {{"Numerator Coeffs 1", 8}, {"Lambda", 0.99}}, "weights.txt");
//   std::vector<double> outputs = filter.process(inputs);   // row-major, one row per sample
//   filter.weights()[0].numerator;                          // channel 1's coefficients now
//   filter.close();                                         // writes weights1.txt .. weights3.txt
//
// Filters of the linked library share nothing: distinct filters may be used
// from distinct threads at once and run in parallel. One filter, like a
// standard container, must not be used from two threads at once. Filters of a
// plug-in loaded from a file (Library::load) may share the plug-in's
// library-wide state, so calls into one loaded library run one at a time.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "adaptive/error.h"
#include "adaptive/library.h"
#include "adaptive/token_info.h"

namespace adaptive {

class AdaptiveToken;

// One channel's coefficients as its final-weights file lists them.
struct ChannelWeights {
  // The "Numerator Coefficients" b_0 … b_(N−1). While a QR token's triangle
  // is still singular they cannot be determined: all NaN (its file then says
  // "Matrix close to singular...").
  std::vector<double> numerator;
  // The "Denominator Coefficients": {1} for every token but the recursive
  // LMS, NLMS and NEW, whose 1 is followed by their feedback coefficients
  // negated, a_1 … a_M of H(z) = B(z)/A(z).
  std::vector<double> denominator;
};

// The coefficients recorded every `every()` samples by the process overloads
// that take a history, counting the samples of every call given this object:
// row r holds them after its ((r + 1)·every)-th sample. A row lists every
// channel in channel order, each as its numerator followed by its
// denominator after the leading 1: the numbers of the final-weights files in
// file order, without the 1s. Its rows have one width, that of the first
// filter given it: a filter with another throws std::invalid_argument,
// running nothing and leaving the history as it was.
class WeightsHistory {
 public:
  // Throws std::invalid_argument when `every` is 0.
  explicit WeightsHistory(size_t every);
  size_t every() const { return interval; }
  size_t columns() const { return width; }
  size_t rows() const { return width == 0 ? 0 : values.size() / width; }
  // rows() × columns() values, row-major.
  const std::vector<double>& data() const { return values; }
  // Room for `rowCount` rows of `columnCount` coefficients, taken now so that
  // recording them takes no more memory: std::bad_alloc, or
  // std::length_error for a size beyond any vector, when it cannot be had.
  void reserve(size_t rowCount, size_t columnCount);
  // Moves the values out, leaving no row; the width and the count of samples
  // toward the next row stay.
  std::vector<double> takeData();

 private:
  friend class Driver;
  size_t interval;
  size_t width = 0;
  size_t sinceLast = 0;
  std::vector<double> values;
};

class Filter {
 public:
  // Parameter values by their catalogue names, matched as adaptsim matches
  // them: the exact name, else the one name equal in any letter case with any
  // run of blanks as one ("numerator coeffs 1"); those not given take the
  // catalogue's default.
  using Parameters = std::vector<std::pair<std::string, double>>;

  // Creates the token `token` (matched as parameter names are) of the linked
  // library (or of `library`). An empty `weightsFile` writes no final-weights
  // file. Throws Error on an unknown token or parameter name (the message
  // lists the valid ones), a name several match (listing them), a parameter
  // given twice, or a failed creation (the library's status and message,
  // after which parameter was wrong and why where that can be told, as in
  // "\"Numerator Coeffs\" = 2147483648 does not fit a 32-bit count: ...").
  Filter(const std::string& token, const Parameters& parameters = {}, const std::string& weightsFile = "");
  Filter(const Library& library, const std::string& token, const Parameters& parameters = {},
         const std::string& weightsFile = "");
  // A destructor cannot throw: it closes a filter that close() did not close
  // and writes a failure of that close (the final-weights files may be lost)
  // to standard error. Call close() to learn of it as an Error.
  ~Filter();

  Filter(const Filter&) = delete;
  Filter& operator=(const Filter&) = delete;
  Filter(Filter&& other) noexcept;
  Filter& operator=(Filter&& other) noexcept;

  const TokenInfo& token() const { return *info; }
  size_t inputCount() const { return info->inputNames.size(); }
  size_t outputCount() const { return info->outputNames.size(); }
  // The values the instance was created with, in catalogue order.
  const std::vector<double>& parameters() const;

  // One sample: `inputs` holds one value per input port and `outputs` receives
  // one per output port, in catalogue order. A general token's "Error" input
  // is computed by the caller, typically from the previous "Output"
  // (adaptive::Driver's closed loop does it as a diagram does). These calls
  // run through adaptive::Driver; a loaded plug-in's failing run call throws
  // Error with its status and message after the samples before it.
  std::vector<double> step(const std::vector<double>& inputs);
  // `samples` samples, row-major: row n of `inputs` holds sample n of every
  // input port, row n of the result its output ports.
  std::vector<double> process(const std::vector<double>& inputs);
  // The same, recording the coefficients into `history`.
  std::vector<double> process(const std::vector<double>& inputs, WeightsHistory& history);
  // The same into buffers of `inputValues` and `outputValues` doubles.
  void step(const double* inputs, size_t inputValues, double* outputs, size_t outputValues);
  void process(const double* inputs, size_t inputValues, double* outputs, size_t outputValues);
  // These throw std::invalid_argument, running nothing, when the sizes do not
  // match the ports: inputs a whole number of rows, outputs as many rows.

  // The unchecked forms, for speed in an inner loop: they take a count of
  // samples, not of values, and the buffers must hold inputCount() and
  // outputCount() values per sample, which nothing checks.
  void stepUnchecked(const double* inputs, double* outputs);
  void processUnchecked(const double* inputs, size_t samples, double* outputs);
  void processUnchecked(const double* inputs, size_t samples, double* outputs, WeightsHistory& history);

  // The unchecked forms' former names, which read like the checked calls.
  [[deprecated("unchecked: use stepUnchecked, or the checked step(inputs, inputValues, outputs, outputValues)")]]
  void step(const double* inputs, double* outputs) { stepUnchecked(inputs, outputs); }
  [[deprecated("unchecked, and `samples` counts samples, not values: use processUnchecked, or the checked "
               "process(inputs, inputValues, outputs, outputValues)")]]
  void process(const double* inputs, size_t samples, double* outputs) { processUnchecked(inputs, samples, outputs); }
  [[deprecated("unchecked, and `samples` counts samples, not values: use processUnchecked")]]
  void process(const double* inputs, size_t samples, double* outputs, WeightsHistory& history) {
    processUnchecked(inputs, samples, outputs, history);
  }

  // The coefficients of every channel now, in channel order (that of the
  // final-weights files), equal to what the files would hold if the filter
  // closed now. Only for filters of the linked library: a loaded plug-in
  // shows its coefficients in its final-weights files alone, and then this
  // throws std::logic_error saying so.
  std::vector<ChannelWeights> weights() const;

  // The terminate call: the final-weights files are written and closed.
  // Throws Error when the library reports a failure; the filter is closed all
  // the same. Further calls do nothing; step, process and weights then throw
  // std::logic_error.
  void close();
  bool isOpen() const { return instance != nullptr; }

  // The token instance behind a filter (api/filter_instance.h).
  class Instance;

 private:
  friend class Driver;

  const Instance& open() const;
  // The token whose coefficients weights() reads; std::logic_error for a
  // closed filter or one of a loaded plug-in.
  const AdaptiveToken& readableToken() const;
  // The rows in `inputValues` values; std::invalid_argument unless whole.
  size_t checkedRows(size_t inputValues) const;
  // The destructor's close: a failure goes to standard error.
  void closeReportingToStandardError() noexcept;

  Library library;
  const TokenInfo* info;
  std::unique_ptr<Instance> instance;
};

}  // namespace adaptive
