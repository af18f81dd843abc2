// The token notes field by field, for those outside the library that print
// them (the Python package's reference manual pages).
#include "adaptive/describe.h"
#include "api/families.h"
#include "api/parameter_notes.h"

namespace adaptive {

bool FindNotesFields(const std::string& token, TokenNotesFields* fields) {
  const TokenNotes* notes = FindTokenNotes(token);
  if (notes == nullptr) return false;
  fields->tokens = TokensWithNotes(notes);
  fields->summary = notes->summary;
  fields->update = notes->update;
  fields->symbols = notes->symbols;
  fields->parameters.clear();
  for (const NameNote& note : notes->parameters) {
    const std::string text = note.name == nullptr ? "" : ParameterNote(token, note.name);
    if (!text.empty()) fields->parameters.emplace_back(note.name, text);
  }
  fields->outputs.clear();
  for (const NameNote& note : notes->outputs) {
    if (note.name == nullptr) break;
    fields->outputs.emplace_back(note.name, note.meaning);
  }
  fields->stability = notes->stability;
  fields->cost = notes->cost;
  fields->latency = LatencyNote(token);
  fields->weightsOneFile = notes::kWeightsOneFile;
  fields->weightsPerChannel = notes::kWeightsPerChannel;
  return true;
}

}  // namespace adaptive
