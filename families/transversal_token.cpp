#include "families/transversal_token.h"

#include "tokens/parameters.h"

namespace adaptive {

bool CheckRowParameters(TokenSetup& setup, const CatalogueEntry& row) {
  for (int k = 0; k < row.parameterCount; ++k) {
    const ParameterRange& range = *row.parameters[ParameterIndex(row, row.checkOrder[k])].range;
    if (range.accepts(setup.parameters[ParameterIndex(row, row.checkOrder[k])])) continue;
    setup.status.fail(kStatusBadParameter, {range.refusal, range.hint});
    return false;
  }
  return true;
}

bool TransversalFamilyToken::allocateWeights(int32_t n, CallStatus& status) {
  length = n;
  if (weights.resize(n)) {
    ReportStorageFailure(status);
    return false;
  }
  weights.zero();
  return true;
}

}  // namespace adaptive
