#include "host/adaptive_token.h"

#include "host/records.h"

namespace adaptive {

namespace {

void CopyFormat(const PortRecord& from, PortRecord& to) {
  to.formatCode = from.formatCode;
  to.formatWidth = from.formatWidth;
  to.formatExponent = from.formatExponent;
}

}  // namespace

void AdaptiveToken::AttachPorts(TokenRecord& record) {
  double bestRate = 0.0;
  for (int32_t i = 0; i < inputCount; ++i) {
    const double rate = record.inputs[i]->sampleRate;
    if (rate > bestRate) {
      bestRate = rate;
      referenceInput = i;
    }
  }
  const PortRecord& ref = *record.inputs[referenceInput];
  for (int32_t o = 0; o < outputCount; ++o) {
    PortRecord& out = record.outputs[o];
    out.skip = ref.skip;
    out.sampleTime = ref.sampleTime;
    out.sampleRate = ref.sampleRate;
    CopyFormat(ref, out);
  }
}

void AdaptiveToken::Run(TokenRecord& record) {
  OutputPortRecord* ports = record.outputs;
  // A copy: the outputs are other records, so its fields are read once.
  const PortRecord ref = *record.inputs[referenceInput];
  if (ref.skip != 0) {
    for (int32_t o = 0; o < outputCount; ++o) ports[o].skip = 1;
    return;
  }
  for (int32_t o = 0; o < outputCount; ++o) {
    ports[o].skip = 0;
    ports[o].sampleTime = ref.sampleTime;
    CopyFormat(ref, ports[o]);
  }
  if (!constructed) return;
  double in[kMaxInputPorts];
  double out[kMaxOutputPorts];
  for (int32_t i = 0; i < inputCount; ++i) in[i] = record.inputs[i]->value;
  for (int32_t o = 0; o < outputCount; ++o) out[o] = ports[o].value;
  Step(in, out);
  for (int32_t o = 0; o < outputCount; ++o) ports[o].value = out[o];
}

}  // namespace adaptive
