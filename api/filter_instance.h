// The token instance behind a Filter: a token of the linked library driven
// directly (api/linked_library.cpp), or one of a loaded plug-in driven through
// its entry points and the host's records, one call at a time per library
// (api/filter.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "adaptive/filter.h"
#include "core/adaptive_token.h"
#include "core/mutex.h"

namespace adaptive {

class Filter::Instance {
 public:
  explicit Instance(std::vector<double> parameters) : values(std::move(parameters)) {}
  // Ends a token that close() did not end; a failure is then lost.
  virtual ~Instance() = default;

  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  // Held around a run of samples: the lock of a loaded plug-in's calls,
  // none for the linked library.
  virtual std::unique_lock<Mutex> holdCalls() { return std::unique_lock<Mutex>(); }
  // One sample, `inputs` one value per input port to `outputs` one per output
  // port: the library's status, 0 but for a loaded plug-in's failing run call,
  // whose message errorText() then holds.
  virtual int32_t step(const double* inputs, double* outputs) = 0;
  virtual std::string errorText() const { return ""; }
  // Ends the token (its final-weights files are written): the library's
  // status, and its message in *message when the status is not 0.
  virtual int32_t close(std::string* message) = 0;

  const std::vector<double>& parameters() const { return values; }
  // The token object, whose coefficients can be read; null for a token of a
  // loaded plug-in, reached only through its entry points.
  virtual const AdaptiveToken* token() const { return nullptr; }

 private:
  std::vector<double> values;
};

// A token of the linked library, created with `parameters` (catalogue order)
// and the final-weights name `fileName`. Throws Error when the library refuses
// it, after ending the half-built token.
std::unique_ptr<Filter::Instance> CreateLinkedInstance(const TokenInfo& token, std::vector<double> parameters,
                                                       const std::string& fileName);

}  // namespace adaptive
