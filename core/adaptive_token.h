// Base class of every token: its port counts and life cycle. A token is
// created by its factory from a TokenSetup, computes one sample per compute
// call from input values to output values, and writes its final-weights files
// in finish, before it is deleted. It knows nothing of who drives it: the
// plug-in's entry protocol (plugin/dispatch.h) and adaptive::Filter both do.
//
// One token is used by one thread at a time; distinct tokens share nothing
// but the list of live final-weights names, which guards itself.
#pragma once

#include <cstdint>

#include "core/coefficient_sink.h"
#include "core/token_call.h"

namespace adaptive {

class AdaptiveToken {
 public:
  AdaptiveToken(int32_t inputCount, int32_t outputCount) : inputCount(inputCount), outputCount(outputCount) {}
  virtual ~AdaptiveToken() = default;

  AdaptiveToken(const AdaptiveToken&) = delete;
  AdaptiveToken& operator=(const AdaptiveToken&) = delete;

  // One sample: `in` holds one value per input port, `out` receives one per
  // output port, in catalogue order. Does nothing when construction failed,
  // so a half-built instance never touches storage it does not own.
  void compute(const double* in, double* out) {
    if (constructed) step(in, out);
  }

  // Writes and closes the final-weights files; a failure is reported through
  // `status`. Called once, before the token is deleted.
  virtual void finish(CallStatus& status) = 0;

  // Reports the coefficients the token holds now, channel by channel in
  // channel order, as its final-weights files would hold them: finish writes
  // the files through this routine. Only for a constructed token. False when
  // storage that the report needs cannot be had.
  virtual bool reportCoefficients(CoefficientSink& sink) const = 0;

  int32_t inputs() const { return inputCount; }
  int32_t outputs() const { return outputCount; }
  bool isConstructed() const { return constructed; }

  // The input whose timing the outputs carry, chosen by the host that attaches
  // the ports (plugin/port_bookkeeping.h); 0 until then.
  int32_t referenceInputIndex() const { return referenceInput; }
  void setReferenceInput(int32_t input) { referenceInput = input; }

 protected:
  virtual void step(const double* in, double* out) = 0;

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
