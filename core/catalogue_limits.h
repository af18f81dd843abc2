// Largest catalogue counts: a token has at most these many ports and
// parameters, and the host's arrays must hold at least these many.
#pragma once

namespace adaptive {

constexpr int kCatalogueSize = 24;
constexpr int kMaxInputPorts = 5;
constexpr int kMaxOutputPorts = 4;
constexpr int kMaxParameters = 9;

}  // namespace adaptive
