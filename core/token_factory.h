// How a token is made: one factory per token class, which the plug-in's
// entry points and the linked library both call.
#pragma once

#include <new>

#include "core/adaptive_token.h"

namespace adaptive {

// Allocates and constructs one token object; null when the allocation failed.
using TokenFactory = AdaptiveToken* (*)(TokenSetup& setup);

template <class Token>
AdaptiveToken* MakeToken(TokenSetup& setup) {
  return new (std::nothrow) Token(setup);
}

}  // namespace adaptive
