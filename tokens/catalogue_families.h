// The families of the plug-in's catalogue, in catalogue order, one line each;
// the catalogue and the list of entry points are derived from their
// descriptors at compile time. A family's rows, notes and ranges are in its
// descriptor (tokens/<family>_descriptor.h), its factories in its source (<family>_family.cpp).
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "core/family_descriptor.h"
#include "tokens/general_gradient_descriptor.h"
#include "tokens/lms_descriptor.h"
#include "tokens/newton_descriptor.h"
#include "tokens/nlms_descriptor.h"
#include "tokens/qr_descriptor.h"
#include "tokens/random_walk_descriptor.h"
#include "tokens/rls_descriptor.h"

// F(Name, NAME, X) for each family: its descriptor kNameFamily, its rows
// kNameRows and its entry points ADAPTIVE_NAME_ENTRIES(X).
#define ADAPTIVE_CATALOGUE_FAMILIES(F, X)                                                      \
  F(Lms, LMS, X) F(GeneralGradient, GENERAL_GRADIENT, X) F(Nlms, NLMS, X) F(Newton, NEWTON, X) \
  F(Qr, QR, X) F(Rls, RLS, X) F(RandomWalk, RANDOM_WALK, X)

// Every entry point, in catalogue order: X(NAME) for each.
#define ADAPTIVE_ENTRIES_OF_FAMILY(Name, NAME, X) ADAPTIVE_##NAME##_ENTRIES(X)
#define ADAPTIVE_FOR_EACH_ENTRY(X) ADAPTIVE_CATALOGUE_FAMILIES(ADAPTIVE_ENTRIES_OF_FAMILY, X)

namespace adaptive {

namespace catalogue_detail {

struct RowSpan {
  const CatalogueEntry* rows;
  size_t count;
};

template <size_t N>
constexpr RowSpan SpanOf(const CatalogueEntry (&rows)[N]) {
  return {rows, N};
}

#define ADAPTIVE_ROWS_OF_FAMILY(Name, NAME, X) SpanOf(k##Name##Rows),
inline constexpr RowSpan kFamilyRows[] = {ADAPTIVE_CATALOGUE_FAMILIES(ADAPTIVE_ROWS_OF_FAMILY, )};
#undef ADAPTIVE_ROWS_OF_FAMILY

constexpr size_t RowCount() {
  size_t n = 0;
  for (const RowSpan& family : kFamilyRows) n += family.count;
  return n;
}

constexpr std::array<CatalogueEntry, RowCount()> Concatenated() {
  std::array<CatalogueEntry, RowCount()> all{};
  size_t k = 0;
  for (const RowSpan& family : kFamilyRows)
    for (size_t r = 0; r < family.count; ++r) all[k++] = family.rows[r];
  return all;
}

}  // namespace catalogue_detail

// The catalogue: every catalogue family's rows, in catalogue order.
inline constexpr std::array<CatalogueEntry, catalogue_detail::RowCount()> kCatalogue = catalogue_detail::Concatenated();
static_assert(kCatalogue.size() == kCatalogueSize, "the host is told of exactly kCatalogueSize tokens");

namespace catalogue_detail {

#define ADAPTIVE_ENTRY_NAME(NAME) #NAME,
inline constexpr const char* kEntryNames[] = {ADAPTIVE_FOR_EACH_ENTRY(ADAPTIVE_ENTRY_NAME)};
#undef ADAPTIVE_ENTRY_NAME

// Each family's list of entry points names its rows, in their order.
constexpr bool EntriesNameTheRows() {
  if (sizeof(kEntryNames) / sizeof(kEntryNames[0]) != kCatalogue.size()) return false;
  for (size_t k = 0; k < kCatalogue.size(); ++k)
    if (std::string_view(kEntryNames[k]) != kCatalogue[k].name) return false;
  return true;
}
static_assert(EntriesNameTheRows(), "a family's entry points and its rows disagree");

}  // namespace catalogue_detail

// Position of the entry named `token`. Meant for constant expressions: an
// unknown name throws, which the compiler reports as an error.
constexpr int CatalogueIndex(std::string_view token) {
  for (int t = 0; t < kCatalogueSize; ++t)
    if (token == kCatalogue[t].name) return t;
  throw "no catalogue entry of that name";
}

// Position of parameter `parameter` in entry `entry`; as CatalogueIndex, an
// unknown name is a compile-time error.
constexpr int ParameterIndex(int entry, std::string_view parameter) {
  return ParameterIndex(kCatalogue[entry], parameter);
}

// The catalogue's families in catalogue order, and the factory of entry
// `entry`.
const FamilyDescriptor* const* CatalogueFamilies();
constexpr int kCatalogueFamilyCount = sizeof(catalogue_detail::kFamilyRows) / sizeof(catalogue_detail::kFamilyRows[0]);
TokenFactory CatalogueFactory(int entry);

}  // namespace adaptive

namespace adaptive {

// True when token classes `Tokens` read the rows `rows` in order: the check
// that a family's factories and its rows are listed alike.
template <class... Tokens, size_t N>
constexpr bool ReadTheirRows(const CatalogueEntry (&rows)[N]) {
  const int entries[] = {Tokens::kEntry...};
  if (sizeof...(Tokens) != N) return false;
  for (size_t k = 0; k < N; ++k)
    if (std::string_view(kCatalogue[entries[k]].name) != rows[k].name) return false;
  return true;
}

}  // namespace adaptive
