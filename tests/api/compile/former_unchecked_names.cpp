// Compiled, not run (tests/CMakeLists.txt): the call that reads like the
// checked one but passes a count of values where the unchecked form takes a
// count of samples still compiles, and the compiler warns, naming the forms
// to use instead.
#include <vector>

#include "adaptive/filter.h"

void Hazard(adaptive::Filter& filter, const std::vector<double>& in, std::vector<double>& out) {
  filter.process(in.data(), in.size(), out.data());
}

void Meant(adaptive::Filter& filter, const std::vector<double>& in, std::vector<double>& out) {
  filter.process(in.data(), in.size(), out.data(), out.size());
  filter.processUnchecked(in.data(), in.size() / filter.inputCount(), out.data());
}
