#include "host/dispatch.h"

#include "host/adaptive_token.h"
#include "host/error_text.h"

int32_t TokenStatus = 0;
SimContext* CurrentSimContext = nullptr;
TokenRecord* CurrentTokenRecord = nullptr;

int32_t DispatchTokenCall(SimContext* context, TokenRecord* record, TokenFactory factory) {
  TokenStatus = kStatusOk;
  CurrentSimContext = context;
  CurrentTokenRecord = record;
  AdaptiveToken* instance = record->instance;

  if (context->initFlag != 0) {
    if (instance != nullptr) {
      // The old instance writes its final-weights files now; a status it sets
      // stays and makes the new constructor stop after building its members.
      record->instance = nullptr;
      delete instance;
    }
    AdaptiveToken* created = factory();
    if (created == nullptr) {
      WriteErrorText({"Memory allocation error for token."});
      return kStatusNoToken;
    }
    record->instance = created;
    return TokenStatus;
  }
  if (context->terminateFlag != 0) {
    if (instance != nullptr) {
      record->instance = nullptr;
      delete instance;
    }
    return TokenStatus;
  }
  if (instance != nullptr) instance->Run();
  return TokenStatus;
}
