// One family of tokens in one place: its rows (core/catalogue.h), their
// factories, and the facts the interfaces state of the whole family. Each
// family's header holds its rows as constant expressions (its tokens read
// their parameter positions from them); its source defines the descriptor.
// The plug-in's catalogue and the linked library's list of tokens are
// derived from the registered descriptors (tokens/catalogue_families.h,
// api/families.cpp).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/catalogue.h"
#include "core/token_factory.h"

namespace adaptive {

// The arrays that dominate a family's storage, for the total length N (the
// channels' lengths, and the feedback coefficients where `countsFeedback`):
// copies × (N + rowsBeyondN) × (square ? N : 1) doubles.
struct StorageNeed {
  const char* array;  // as a message names it: "P", "the triangle R"
  int32_t rowsBeyondN;
  bool square;
  bool countsFeedback;
  int32_t copies = 1;
};

struct FamilyDescriptor {
  const char* name;  // as messages and the Python package write it: "LMS", "random walk"
  const CatalogueEntry* rows;
  int32_t count;
  const TokenFactory* factories;  // rows[k]'s at [k]
  StorageNeed storage;
};

// The rows of several families one after the other, at compile time.
template <size_t... N>
constexpr std::array<CatalogueEntry, (N + ...)> ConcatenateRows(const CatalogueEntry (&... families)[N]) {
  std::array<CatalogueEntry, (N + ...)> all{};
  size_t k = 0;
  auto append = [&](const auto& rows) {
    for (const CatalogueEntry& row : rows) all[k++] = row;
  };
  (append(families), ...);
  return all;
}

}  // namespace adaptive
