#include "tokens/parameters.h"

namespace adaptive {

int32_t ReadCount(const TokenSetup& setup, int index) {
  const double v = ReadParameter(setup, index);
  // Out-of-range conversion to an integer is undefined: test the range first.
  if (!(v > -2147483649.0 && v < 2147483648.0)) return 0;
  return static_cast<int32_t>(v);
}

bool CheckParameters(TokenSetup& setup, const CatalogueEntry& row) {
  for (int k = 0; k < row.parameterCount; ++k) {
    const int p = ParameterIndex(row, row.checkOrder[k]);
    const ParameterRange& range = *row.parameters[p].range;
    if (range.accepts(setup.parameters[p])) continue;
    setup.status.fail(kStatusBadParameter, {range.refusal, range.hint});
    return false;
  }
  return true;
}

void ReportStorageFailure(CallStatus& status) { status.fail(kStatusNoStorage, {"Memory (s_) allocation error."}); }

bool TotalLength(const int32_t* counts, int n, int32_t& total, CallStatus& status) {
  int64_t sum = 0;
  for (int i = 0; i < n; ++i) sum += counts[i];
  if (sum > INT32_MAX) {
    ReportStorageFailure(status);
    return false;
  }
  total = static_cast<int32_t>(sum);
  return true;
}

}  // namespace adaptive
