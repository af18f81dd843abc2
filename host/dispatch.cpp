#include "host/dispatch.h"

namespace adaptive {

namespace {

void Destroy(AdaptiveToken* instance, CallStatus& status) {
  instance->Finish(status);
  delete instance;
}

}  // namespace

int32_t DispatchTokenCall(SimContext* context, TokenRecord* record, TokenFactory factory) {
  CallStatus status(context->errorText);
  AdaptiveToken* instance = record->instance;

  if (context->initFlag != 0) {
    if (instance != nullptr) {
      // The old instance writes its final-weights files now; a status it sets
      // stays and makes the new constructor stop after building its members.
      record->instance = nullptr;
      Destroy(instance, status);
    }
    TokenSetup setup{record->parameters, record->fileName, status};
    AdaptiveToken* created = factory(setup);
    if (created == nullptr) {
      status.write({"Memory allocation error for token."});
      return kStatusNoToken;
    }
    created->AttachPorts(*record);
    record->instance = created;
    return status.code();
  }
  if (context->terminateFlag != 0) {
    if (instance != nullptr) {
      record->instance = nullptr;
      Destroy(instance, status);
    }
    return status.code();
  }
  if (instance != nullptr) instance->Run(*record);
  return status.code();
}

}  // namespace adaptive
