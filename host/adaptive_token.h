// Base class of every token: its port counts and life cycle. A token is
// created by its factory from a TokenSetup, computes one sample per Compute
// call from input values to output values, and writes its final-weights files
// in Finish, before it is deleted. It knows nothing of who drives it: the
// host's entry protocol (host/dispatch.h) and adaptive::Filter both do.
//
// One token is used by one thread at a time; distinct tokens share nothing
// but the list of live final-weights names, which guards itself.
#pragma once

#include <cstdint>

#include "host/coefficient_sink.h"
#include "host/token_call.h"

namespace adaptive {

struct TokenRecord;
struct SimContext;

class AdaptiveToken {
 public:
  AdaptiveToken(int32_t inputCount, int32_t outputCount) : inputCount(inputCount), outputCount(outputCount) {}
  virtual ~AdaptiveToken() = default;

  AdaptiveToken(const AdaptiveToken&) = delete;
  AdaptiveToken& operator=(const AdaptiveToken&) = delete;

  // One sample: `in` holds one value per input port, `out` receives one per
  // output port, in catalogue order. Does nothing when construction failed,
  // so a half-built instance never touches storage it does not own.
  void Compute(const double* in, double* out) {
    if (constructed) Step(in, out);
  }

  // Writes and closes the final-weights files; a failure is reported through
  // `status`. Called once, before the token is deleted.
  virtual void Finish(CallStatus& status) = 0;

  // Reports the coefficients the token holds now, channel by channel in
  // channel order, as its final-weights files would hold them: Finish writes
  // the files through this routine. Only for a constructed token. False when
  // storage that the report needs cannot be had.
  virtual bool ReportCoefficients(CoefficientSink& sink) const = 0;

  // The host's port bookkeeping. AttachPorts, right after construction, picks
  // the reference input (the one with the highest rate, the first of equals)
  // and stamps the output ports with its timing and format words. Run, on
  // every run call, keeps them in step and computes one sample, unless the
  // reference input is skipped: then the outputs are only marked skipped.
  void AttachPorts(TokenRecord& record);
  void Run(TokenRecord& record);

  int32_t inputs() const { return inputCount; }
  int32_t outputs() const { return outputCount; }
  int32_t referenceInputIndex() const { return referenceInput; }
  bool isConstructed() const { return constructed; }

 protected:
  virtual void Step(const double* in, double* out) = 0;

  // Token constructors call this once every check, allocation and file
  // succeeded.
  void markConstructed() { constructed = true; }

 private:
  int32_t inputCount;
  int32_t outputCount;
  int32_t referenceInput = 0;
  bool constructed = false;
};

}  // namespace adaptive
