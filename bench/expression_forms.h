// The matrix tokens' steps written the plain way: the tests' reference models
// (tests/reference/correlation_model.h), where every operation of the
// algorithm is one operator of the numerics, each building a temporary, as a
// step reads before any optimisation. They compute the same bits as the
// tokens (the benchmarks check that before timing) and show what the tokens'
// allocation-free loops buy.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace adaptive {

class ExpressionForm {
 public:
  virtual ~ExpressionForm() = default;
  // One sample: the channel inputs, the desired value; writes "Output",
  // "PriError" and "PostError".
  virtual void step(const double* inputs, double desired, double* outputs) = 0;
};

// RLS1, RW1, RLS2, RLS3, RW2, RW3, NEW2, NEW3 from their parameter values in
// catalogue order; null for any other token.
std::unique_ptr<ExpressionForm> MakeExpressionForm(const std::string& token, const std::vector<double>& parameters);

}  // namespace adaptive
