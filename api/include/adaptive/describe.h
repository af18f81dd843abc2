// A token described for a person: its catalogue entry with the meaning of each
// port and parameter, the update it computes and how to keep it stable. The
// same text is shown by `adaptsim describe` and adaptive_filters.describe() in Python.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "adaptive/token_info.h"

namespace adaptive {

// The description of `token` as lines of plain text (UTF-8, at most about 80
// columns). A token the notes do not know (from another library) gets its
// catalogue entry alone.
std::string Describe(const TokenInfo& token);

// The same notes field by field, for the reference manual's token pages, in
// the words Describe prints them.
struct TokenNotesFields {
  std::string tokens;   // the tokens the notes describe, blank-separated
  std::string summary;
  std::string update;   // one equation a line
  std::string symbols;  // what the update's symbols stand for
  // Name and note, in catalogue order: each parameter's meaning followed by
  // its accepted range, and each output's meaning, for those the notes have.
  std::vector<std::pair<std::string, std::string>> parameters;
  std::vector<std::pair<std::string, std::string>> outputs;
  std::string stability;  // how to choose the parameters so that it converges
  std::string cost;       // operations per sample in the total length N
  // The sentence on the fixed delay of the outputs and the parameter that
  // sets it; "" for a token whose outputs come out with their sample.
  std::string latency;
  // The final-weights files of a token of one channel, and of several.
  std::string weightsOneFile;
  std::string weightsPerChannel;
};

// The notes on the token called `token`; false when the notes do not know it
// (a token of another library), leaving *fields as it was.
bool FindNotesFields(const std::string& token, TokenNotesFields* fields);

}  // namespace adaptive
