// The host's port bookkeeping around a token: the output records follow the
// timing and format of one input, the reference input.
#pragma once

#include "core/adaptive_token.h"
#include "plugin/records.h"

namespace adaptive {

// Right after construction: picks the reference input (the one with the
// highest rate, the first of equals) and stamps the output ports with its
// timing and format words.
void AttachPorts(AdaptiveToken& token, TokenRecord& record);

// On every run call: keeps the outputs in step with the reference input and
// computes one sample, unless that input is skipped: then the outputs are
// only marked skipped.
void RunOnRecords(AdaptiveToken& token, TokenRecord& record);

}  // namespace adaptive
