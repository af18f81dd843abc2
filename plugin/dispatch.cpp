#include "plugin/dispatch.h"

#include "plugin/port_bookkeeping.h"

namespace adaptive {

namespace {

// Creation (initFlag) or destruction: the calls that may report a status.
// Kept out of line so that the run call, made for every sample, sets up no
// status and saves no registers for them.
__attribute__((noinline)) int32_t CreateOrDestroy(SimContext* context, TokenRecord* record,
                                                  TokenFactory factory) {
  CallStatus status(context->errorText);
  AdaptiveToken* instance = record->instance;
  if (instance != nullptr) {
    // On creation the old instance writes its final-weights files now; a
    // status it sets stays and makes the new constructor stop after building
    // its members.
    record->instance = nullptr;
    instance->finish(status);
    delete instance;
  }
  if (context->initFlag == 0) return status.code();
  TokenSetup setup{record->parameters, record->fileName, status};
  AdaptiveToken* created = factory(setup);
  if (created == nullptr) {
    status.write({"Memory allocation error for token."});
    return kStatusNoToken;
  }
  AttachPorts(*created, *record);
  record->instance = created;
  return status.code();
}

}  // namespace

int32_t DispatchTokenCall(SimContext* context, TokenRecord* record, TokenFactory factory) {
  // The flags are tested one at a time: the host stores them one at a time,
  // and a load of both at once would wait for those stores to reach the cache.
  if (context->initFlag != 0) return CreateOrDestroy(context, record, factory);
  if (context->terminateFlag != 0) return CreateOrDestroy(context, record, factory);
  // A run call reports nothing: its status is always kStatusOk.
  if (AdaptiveToken* instance = record->instance) RunOnRecords(*instance, *record);
  return kStatusOk;
}

}  // namespace adaptive
