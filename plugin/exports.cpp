// The plug-in's exported functions: USERCODE and one entry point per token,
// each handing its records and its token's factory to the dispatcher. Only
// the plug-in (libadaptive.so, adaptive.dll) is built from this file; the
// static library keeps to namespace adaptive.
#include "plugin/exports.h"

#include "plugin/catalogue_records.h"
#include "plugin/dispatch.h"

namespace {

// The factory of catalogue entry `Entry`, found in its family's descriptor
// when an instance is created.
template <int Entry>
adaptive::AdaptiveToken* CreateEntry(adaptive::TokenSetup& setup) {
  return adaptive::CatalogueFactory(Entry)(setup);
}

}  // namespace

#define ADAPTIVE_DEFINE_EXPORT(NAME)                                                                        \
  extern "C" ADAPTIVE_EXPORT int32_t ADAPTIVE_CALL NAME(adaptive::SimContext* context, adaptive::TokenRecord* record) { \
    return adaptive::DispatchTokenCall(context, record, &CreateEntry<adaptive::CatalogueIndex(#NAME)>); \
  }
ADAPTIVE_FOR_EACH_ENTRY(ADAPTIVE_DEFINE_EXPORT)
#undef ADAPTIVE_DEFINE_EXPORT

extern "C" ADAPTIVE_EXPORT void ADAPTIVE_CALL USERCODE(adaptive::LibraryInfo* info) { adaptive::FillCatalogue(info); }
