// A token as its family's descriptor states it: the row the plug-in reports to
// its host (plugin/catalogue_records.h copies rows into the host's records),
// and beside it what the checks, `describe`, the manual and the interfaces
// need: each parameter's role and accepted range, the order of the checks and
// the notes. The host builds every instance's record from the row, so the
// order of ports and parameters here is the order the tokens read them.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/catalogue_limits.h"
#include "core/parameter_range.h"
#include "core/parameter_role.h"
#include "core/token_notes.h"

namespace adaptive {

struct CatalogueParameter {
  const char* name;
  double defaultValue;
  ParameterRole role;
  const ParameterRange* range;
};

// One token. Array elements beyond a count are null.
struct CatalogueEntry {
  const char* name;  // its entry point's name, shown to the user
  const char* description;
  const char* iconFile;
  int32_t inputCount;
  const char* inputNames[kMaxInputPorts];
  int32_t outputCount;
  const char* outputNames[kMaxOutputPorts];
  int32_t parameterCount;
  CatalogueParameter parameters[kMaxParameters];
  const char* defaultFileName;
  // Every parameter once, in the order the token checks them (the first
  // failure is reported).
  const char* checkOrder[kMaxParameters];
  const TokenNotes* notes;
  // The parameter whose value is the fixed delay, in samples, of every
  // output: the outputs of sample n come out at sample n + that value (zeros
  // before). Null: the outputs of a sample come out with it.
  const char* latencyParameter = nullptr;
};

// The label of every token's file-name field.
extern const char kFinalWeightsFileLabel[];

// The kCatalogueSize entries in catalogue order, for code inside the library.
const CatalogueEntry* CatalogueEntries();

// Position of parameter `parameter` in `row`. Meant for constant expressions:
// an unknown name throws, which the compiler reports as an error.
constexpr int ParameterIndex(const CatalogueEntry& row, std::string_view parameter) {
  for (int p = 0; p < row.parameterCount; ++p)
    if (parameter == row.parameters[p].name) return p;
  throw "no parameter of that name in the catalogue entry";
}

// True; reading through a null pointer is not a constant expression, so a
// missing range or notes fails the build. (Comparing the address of a
// variable with null is not one either where the sanitizers instrument it.)
template <class T>
constexpr bool IsRead(const T& object) {
  return &object == &object;
}

// Every count covers exactly the names written for it (so that USERCODE never
// hands the host a null name nor leaves a named port out), every parameter has
// a range, and the check order names each parameter exactly once.
constexpr bool IsWellFormed(const CatalogueEntry& e) {
  for (int i = 0; i < kMaxInputPorts; ++i)
    if ((i < e.inputCount) != (e.inputNames[i] != nullptr)) return false;
  for (int i = 0; i < kMaxOutputPorts; ++i)
    if ((i < e.outputCount) != (e.outputNames[i] != nullptr)) return false;
  for (int i = 0; i < kMaxParameters; ++i) {
    if ((i < e.parameterCount) != (e.parameters[i].name != nullptr)) return false;
    if (i < e.parameterCount && !IsRead(*e.parameters[i].range)) return false;
    if ((i < e.parameterCount) != (e.checkOrder[i] != nullptr)) return false;
  }
  for (int p = 0; p < e.parameterCount; ++p) {
    int seen = 0;
    for (int k = 0; k < e.parameterCount; ++k) seen += std::string_view(e.checkOrder[k]) == e.parameters[p].name;
    if (seen != 1) return false;
  }
  if (e.latencyParameter != nullptr) {
    int named = 0;
    for (int p = 0; p < e.parameterCount; ++p) named += std::string_view(e.latencyParameter) == e.parameters[p].name;
    if (named != 1) return false;
  }
  return IsRead(*e.notes);
}

template <size_t N>
constexpr bool AreWellFormed(const CatalogueEntry (&rows)[N]) {
  for (const CatalogueEntry& row : rows)
    if (!IsWellFormed(row)) return false;
  return true;
}

}  // namespace adaptive
