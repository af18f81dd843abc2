// Base class of every token: port counts, the reference input that sets the
// token's pace, and the per-sample bookkeeping of the output ports.
#pragma once

#include <cstdint>

// Values of the constructor's flags. Every token sets both: its output ports
// take the reference input's timing and skip marks, and its format words.
constexpr int32_t kPropagateTiming = 1;
constexpr int32_t kPropagateFormat = 1;

class AdaptiveToken {
 public:
  // A negative input count takes the count from the current token record.
  // Reads the current records and stamps the output ports at once.
  AdaptiveToken(int32_t inputCount, int32_t outputCount, int32_t timingFlag, int32_t formatFlag);
  virtual ~AdaptiveToken() = default;

  AdaptiveToken(const AdaptiveToken&) = delete;
  AdaptiveToken& operator=(const AdaptiveToken&) = delete;

  // One run call: keeps the outputs' timing, skip marks and format words in step
  // with the reference input, then computes one sample unless the reference
  // input is skipped or the construction failed.
  void Run();

  int32_t referenceInputIndex() const { return referenceInput; }
  bool isConstructed() const { return constructed; }

 protected:
  virtual void Step() = 0;

  // Token constructors call this once every check, allocation and file
  // succeeded; until then Run never calls Step, so a half-built instance never
  // touches storage it does not own.
  void markConstructed() { constructed = true; }

 private:
  int32_t inputCount;
  int32_t outputCount;
  int32_t referenceInput = 0;
  bool propagateTiming;
  bool propagateFormat;
  bool constructed = false;
};
