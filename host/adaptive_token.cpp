#include "host/adaptive_token.h"

#include "host/dispatch.h"
#include "host/records.h"

namespace {

void CopyFormat(const PortRecord& from, PortRecord& to) {
  to.formatCode = from.formatCode;
  to.formatWidth = from.formatWidth;
  to.formatExponent = from.formatExponent;
}

}  // namespace

AdaptiveToken::AdaptiveToken(int32_t inputs, int32_t outputs, int32_t timingFlag, int32_t formatFlag)
    : inputCount(inputs < 0 ? CurrentTokenRecord->inputCount : inputs),
      outputCount(outputs),
      propagateTiming(timingFlag != 0),
      propagateFormat(formatFlag != 0) {
  OutputPortRecord* out = CurrentTokenRecord->outputs;
  if (inputCount != 0) {
    double bestRate = 0.0;
    for (int32_t i = 0; i < inputCount; ++i) {
      const double rate = CurrentTokenRecord->inputs[i]->sampleRate;
      if (rate > bestRate) {
        bestRate = rate;
        referenceInput = i;
      }
    }
    const PortRecord& ref = *CurrentTokenRecord->inputs[referenceInput];
    if (propagateTiming) {
      for (int32_t o = 0; o < outputCount; ++o) {
        out[o].skip = ref.skip;
        out[o].sampleTime = ref.sampleTime;
        out[o].sampleRate = ref.sampleRate;
      }
    }
    if (propagateFormat) {
      for (int32_t o = 0; o < outputCount; ++o) CopyFormat(ref, out[o]);
    }
    return;
  }
  if (propagateTiming) {
    for (int32_t o = 0; o < outputCount; ++o) {
      out[o].skip = 0;
      out[o].sampleTime = CurrentSimContext->sampleTime;
      out[o].sampleRate = CurrentSimContext->sampleRate;
    }
  }
  if (propagateFormat) {
    for (int32_t o = 0; o < outputCount; ++o) {
      out[o].formatCode = 5;
      out[o].formatWidth = 64;
      out[o].formatExponent = 11;
    }
  }
}

void AdaptiveToken::Run() {
  OutputPortRecord* out = CurrentTokenRecord->outputs;
  if (inputCount != 0) {
    // A copy: the outputs are other records, so its fields are read once and
    // each output is written in one pass.
    const PortRecord ref = *CurrentTokenRecord->inputs[referenceInput];
    if (ref.skip == 0) {
      for (int32_t o = 0; o < outputCount; ++o) {
        if (propagateTiming) {
          out[o].skip = 0;
          out[o].sampleTime = ref.sampleTime;
        }
        if (propagateFormat) CopyFormat(ref, out[o]);
      }
    } else if (propagateTiming) {
      for (int32_t o = 0; o < outputCount; ++o) out[o].skip = 1;
      return;
    } else if (propagateFormat) {
      for (int32_t o = 0; o < outputCount; ++o) CopyFormat(ref, out[o]);
    }
  } else if (propagateTiming) {
    for (int32_t o = 0; o < outputCount; ++o) out[o].sampleTime = CurrentSimContext->sampleTime;
  }
  if (constructed) Step();
}
