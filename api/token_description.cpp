#include <charconv>
#include <iterator>
#include <sstream>
#include <string_view>

#include "adaptive/describe.h"
#include "api/parameter_notes.h"
#include "api/families.h"

namespace adaptive {

namespace {

constexpr size_t kWidth = 78;

// `text` filled into lines of at most kWidth columns (counting UTF-8
// characters), each started with `indent`.
void Fill(std::ostream& out, std::string_view text, std::string_view indent) {
  size_t column = 0;
  while (!text.empty()) {
    const size_t space = text.find(' ');
    const std::string_view word = text.substr(0, space);
    text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
    if (word.empty()) continue;
    size_t width = 0;
    for (const char c : word) width += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (column > 0 && column + 1 + width > kWidth) {
      out << '\n';
      column = 0;
    }
    if (column == 0) {
      out << indent << word;
      column = indent.size() + width;
    } else {
      out << ' ' << word;
      column += 1 + width;
    }
  }
  out << '\n';
}

const char* Meaning(const NameNote* notes, size_t count, std::string_view name) {
  const std::string_view base = WithoutChannel(name);
  for (size_t k = 0; k < count && notes[k].name != nullptr; ++k) {
    if (base == notes[k].name) return notes[k].meaning;
  }
  return nullptr;
}

// The shortest text that reads back as `value`.
std::string FormatNumber(double value) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

}  // namespace

std::string Describe(const TokenInfo& token) {
  const TokenNotes* notes = token.familyName.empty() ? nullptr : FindTokenNotes(token.name);
  std::ostringstream out;
  out << token.name << ": " << token.description << '\n';
  if (token.displayName != token.name) out << "Shown as: " << token.displayName << '\n';
  out << "Icon: " << token.iconFile << '\n';
  if (notes != nullptr) {
    out << '\n';
    Fill(out, notes->summary, "");
    out << "\nUpdate, for sample n:\n";
    std::string_view update = notes->update;
    while (!update.empty()) {
      const size_t end = update.find('\n');
      out << "  " << update.substr(0, end) << '\n';
      update = end == std::string_view::npos ? std::string_view() : update.substr(end + 1);
    }
    Fill(out, std::string("where ") + notes->symbols, "");
    out << '\n';
  }

  out << "Inputs:\n";
  for (size_t i = 0; i < token.inputNames.size(); ++i) out << "  " << i << "  " << token.inputNames[i] << '\n';
  out << "Outputs:\n";
  for (size_t i = 0; i < token.outputNames.size(); ++i) {
    out << "  " << i << "  " << token.outputNames[i] << '\n';
    const char* meaning = notes == nullptr ? nullptr : Meaning(notes->outputs, std::size(notes->outputs), token.outputNames[i]);
    if (meaning != nullptr) Fill(out, meaning, "       ");
  }
  const std::string latency = notes == nullptr ? "" : LatencyNote(token.name);
  if (!latency.empty()) Fill(out, latency, "");
  out << "Parameters:\n";
  // Quoted, so that the two blanks of "Numerator Coeffs  1" show.
  for (size_t k = 0; k < token.parameterNames.size(); ++k) {
    out << "  " << k << "  \"" << token.parameterNames[k] << "\" = " << FormatNumber(token.parameterDefaults[k])
        << '\n';
    const std::string note = ParameterNote(token.name, token.parameterNames[k]);
    if (!note.empty()) Fill(out, note, "       ");
  }
  if (notes != nullptr) {
    out << '\n';
    Fill(out, std::string("Stability: ") + notes->stability, "");
    Fill(out, std::string("Cost per sample: ") + notes->cost + ", N the total length.", "");
    Fill(out, notes::kConventions, "");
  }
  out << token.fileLabel << ": " << token.defaultFileName << '\n';
  Fill(out, token.filterChannels() == 1 ? notes::kWeightsOneFile : notes::kWeightsPerChannel, "  ");
  return out.str();
}

}  // namespace adaptive
