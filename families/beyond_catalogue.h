// The families beyond the plug-in's catalogue: reached by name through the C++
// and Python interfaces and adaptsim, never exported to the simulator. Each
// lives in a folder of its own here, beside its descriptor; this list
// registers them, one line each.
#pragma once

#include <vector>

#include "core/family_descriptor.h"

namespace adaptive {

const std::vector<const FamilyDescriptor*>& FamiliesBeyondCatalogue();

}  // namespace adaptive
