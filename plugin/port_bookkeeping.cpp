#include "plugin/port_bookkeeping.h"

namespace adaptive {

namespace {

void CopyFormat(const PortRecord& from, PortRecord& to) {
  to.formatCode = from.formatCode;
  to.formatWidth = from.formatWidth;
  to.formatExponent = from.formatExponent;
}

}  // namespace

void AttachPorts(AdaptiveToken& token, TokenRecord& record) {
  int32_t referenceInput = 0;
  double bestRate = 0.0;
  for (int32_t i = 0; i < token.inputs(); ++i) {
    const double rate = record.inputs[i]->sampleRate;
    if (rate > bestRate) {
      bestRate = rate;
      referenceInput = i;
    }
  }
  token.setReferenceInput(referenceInput);
  const PortRecord& ref = *record.inputs[referenceInput];
  for (int32_t o = 0; o < token.outputs(); ++o) {
    PortRecord& out = record.outputs[o];
    out.skip = ref.skip;
    out.sampleTime = ref.sampleTime;
    out.sampleRate = ref.sampleRate;
    CopyFormat(ref, out);
  }
}

void RunOnRecords(AdaptiveToken& token, TokenRecord& record) {
  const int32_t outputCount = token.outputs();
  OutputPortRecord* ports = record.outputs;
  // A copy: the outputs are other records, so its fields are read once.
  const PortRecord ref = *record.inputs[token.referenceInputIndex()];
  if (ref.skip != 0) {
    for (int32_t o = 0; o < outputCount; ++o) ports[o].skip = 1;
    return;
  }
  for (int32_t o = 0; o < outputCount; ++o) {
    ports[o].skip = 0;
    ports[o].sampleTime = ref.sampleTime;
    CopyFormat(ref, ports[o]);
  }
  if (!token.isConstructed()) return;
  double in[kMaxInputPorts];
  double out[kMaxOutputPorts];
  for (int32_t i = 0; i < token.inputs(); ++i) in[i] = record.inputs[i]->value;
  for (int32_t o = 0; o < outputCount; ++o) out[o] = ports[o].value;
  token.compute(in, out);
  for (int32_t o = 0; o < outputCount; ++o) ports[o].value = out[o];
}

}  // namespace adaptive
