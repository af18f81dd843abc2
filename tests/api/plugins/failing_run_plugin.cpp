// A plug-in whose one token, LMS, refuses its run calls from its fourth
// sample on (status 7, "sample refused"), as a foreign plug-in may: what the
// driver must report rather than take for a sample run.
#include <cstring>

#include "plugin/catalogue_records.h"
#include "plugin/dispatch.h"
#include "tokens/catalogue_families.h"

extern "C" ADAPTIVE_EXPORT void ADAPTIVE_CALL USERCODE(adaptive::LibraryInfo* info) { adaptive::FillCatalogue(info); }

extern "C" ADAPTIVE_EXPORT int32_t ADAPTIVE_CALL LMS(adaptive::SimContext* context, adaptive::TokenRecord* record) {
  if (context->initFlag == 0 && context->terminateFlag == 0 && context->sampleTime >= 3.0) {
    std::strcpy(context->errorText, "sample refused");
    return 7;
  }
  return adaptive::DispatchTokenCall(context, record, adaptive::CatalogueFactory(adaptive::CatalogueIndex("LMS")));
}
