// The adaptive filters as C++ objects: one Filter is one token instance that
// lives as in the simulator (created once, one step per sample, closed once,
// which writes the final-weights files), so it computes the same bits as the
// plug-in in a diagram.
//
//   adaptive::Filter filter("RLS3", {{"Numerator Coeffs  1", 8}, {"Lambda", 0.99}}, "weights.txt");
//   filter.process(inputs, samples, outputs);   // row-major, one row per sample
//   filter.close();                             // writes weights1.txt .. weights3.txt
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

class Filter {
 public:
  // Parameter values by their exact catalogue names; those not given take the
  // catalogue's default.
  using Parameters = std::vector<std::pair<std::string, double>>;

  // Creates the token `token` of the linked library (or of `library`). An empty
  // `weightsFile` writes no final-weights file. Throws Error on an unknown
  // token or parameter name (the message lists the valid ones), a parameter
  // given twice, or a failed creation (the library's status and message).
  Filter(const std::string& token, const Parameters& parameters = {}, const std::string& weightsFile = "");
  Filter(const Library& library, const std::string& token, const Parameters& parameters = {},
         const std::string& weightsFile = "");
  // Closes the filter if close() was not called; a failure is then lost.
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
  // is computed by the caller, typically from the previous "Output".
  void step(const double* inputs, double* outputs);
  // `samples` samples, row-major: row n of `inputs` holds sample n of every
  // input port, row n of `outputs` receives its output ports.
  void process(const double* inputs, size_t samples, double* outputs);

  // The terminate call: the final-weights files are written and closed.
  // Throws Error when the library reports a failure; the filter is closed all
  // the same. Further calls do nothing; step and process then throw
  // std::logic_error.
  void close();
  bool isOpen() const { return instance != nullptr; }

  // The token instance behind a filter (api/filter_instance.h).
  class Instance;

 private:
  Library library;
  const TokenInfo* info;
  std::unique_ptr<Instance> instance;
};

}  // namespace adaptive
