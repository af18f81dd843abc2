// How `adaptsim run` connects the columns of its input to a token's input
// ports: one column per port in catalogue order, or, with --loop, a general
// token closed into the loop a diagram builds around it.
#pragma once

#include <string>
#include <vector>

#include "adaptsim/hosting/plugin.h"
#include "api/token_session.h"

class RunWiring {
 public:
  // Plain: the input's columns are the token's input ports. Loop (`loop`
  // true, for a token with an "Error" input): the columns are "Input",
  // "Desired" and the token's other input ports in catalogue order; "Error"
  // gets the previous sample's Desired minus the token's "Output" (0 at the
  // first sample), "- de/dw" the filter input, and the outputs gain an
  // "Error" column, this sample's Desired minus Output. False with the reason
  // when the token cannot be looped.
  bool setUp(const TokenInfo& token, bool loop, std::string* error);

  const std::vector<std::string>& columnNames() const { return columns; }
  const std::vector<std::string>& outputNames() const { return outputs; }

  // The input port values for one row of input columns.
  void feed(const double* row, double* ports) const;
  // One output row from the token's output values after its run call.
  void collect(const double* row, const double* tokenOutputs, double* outputRow);

 private:
  std::vector<std::string> columns;  // "Input", "Desired", then "Mu" and "Leakage" when the token has them
  std::vector<std::string> outputs;
  std::vector<adaptive::PortRole> roles;
  bool loop = false;
  size_t tokenOutputs = 0;
  size_t outputPort = 0;
  int stepSizeColumn = -1, leakageColumn = -1;
  double fedError = 0.0;  // what the loop feeds "Error" at the next sample
};
