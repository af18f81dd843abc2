// One token instance driven the way the host drives it: the host records built
// from the catalogue entry, one creation call, one run call per sample and one
// terminate call. adaptsim drives tokens with the C++ interface's record
// builder, the same one behind adaptive::Filter.
#pragma once

#include "api/host_session.h"

using TokenSession = adaptive::HostSession;
