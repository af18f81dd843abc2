#include "families/transversal_token.h"

#include "tokens/parameters.h"

namespace adaptive {

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
