#include "api/parameter_notes.h"

#include "adaptive/number_text.h"
#include "api/families.h"

namespace adaptive {

namespace {

const CatalogueEntry* RowOf(std::string_view token) {
  const KnownToken* known = FindKnownToken(token);
  return known == nullptr ? nullptr : known->row;
}

}  // namespace

std::string_view WithoutChannel(std::string_view name) {
  if (name.size() > 2 && name.back() >= '1' && name.back() <= '9' && name[name.size() - 2] == ' ') {
    name.remove_suffix(1);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  }
  return name;
}

std::string RangePhrase(const ParameterRange& range) {
  if (range.refusal == nullptr) return "any value";
  if (range.zeroRefused) return "any number but 0";
  const std::string low = FormatShortest(range.low);
  // A count below 2^31 is at most 2^31 − 1.
  const bool countCap = range.count && range.highEdge == Edge::kOpen;
  const std::string high = FormatShortest(countCap ? range.high - 1.0 : range.high);
  const Edge highEdge = countCap ? Edge::kClosed : range.highEdge;
  std::string phrase = range.count ? "a whole number " : "";
  if (highEdge == Edge::kNone) {
    return phrase + (range.lowEdge == Edge::kOpen ? "above " + low : low + " or more");
  }
  phrase += range.lowEdge == Edge::kOpen ? "above " + low + " and " : "from " + low + " ";
  phrase += highEdge == Edge::kOpen ? "below " + high : (range.lowEdge == Edge::kOpen ? "at most " : "to ") + high;
  return phrase;
}

std::string RangeSentence(const ParameterRange& range) {
  if (range.refusal == nullptr) return "Any value is taken as it is.";
  std::string refusal = range.refusal;
  while (!refusal.empty() && refusal.back() == '\n') refusal.pop_back();
  return "Accepted: " + RangePhrase(range) + (range.count ? ", a fraction truncated toward zero" : "") +
         "; anything else, NaN included, is refused (\"" + refusal + "\").";
}

const ParameterRange* ParameterRangeOf(std::string_view token, std::string_view parameter) {
  const CatalogueEntry* row = RowOf(token);
  if (row == nullptr) return nullptr;
  for (int32_t k = 0; k < row->parameterCount; ++k) {
    const CatalogueParameter& p = row->parameters[k];
    if (parameter == p.name || parameter == WithoutChannel(p.name)) return p.range;
  }
  return nullptr;
}

std::string ParameterNote(std::string_view token, std::string_view parameter) {
  const CatalogueEntry* row = RowOf(token);
  const TokenNotes* notes = row == nullptr ? nullptr : row->notes;
  const ParameterRange* range = ParameterRangeOf(token, parameter);
  if (notes == nullptr || range == nullptr) return "";
  const std::string_view base = WithoutChannel(parameter);
  for (const NameNote& note : notes->parameters) {
    if (note.name != nullptr && base == note.name) return std::string(note.meaning) + " " + RangeSentence(*range);
  }
  return "";
}

std::string LatencyNote(std::string_view token) {
  const CatalogueEntry* row = RowOf(token);
  if (row == nullptr || row->latencyParameter == nullptr) return "";
  return std::string("Latency: the outputs of sample n come out at sample n + \"") + row->latencyParameter +
         "\" (zeros before), whether the samples are handed over one by one or in blocks.";
}

int FirstRefusedParameter(std::string_view token, const double* values, size_t count) {
  const CatalogueEntry* row = RowOf(token);
  if (row == nullptr) return -1;
  for (int32_t c = 0; c < row->parameterCount; ++c) {
    const int k = ParameterIndex(*row, row->checkOrder[c]);
    if (static_cast<size_t>(k) < count && !row->parameters[k].range->accepts(values[k])) return k;
  }
  return -1;
}

}  // namespace adaptive
