#include "adaptsim/io/csv.h"

#include <istream>
#include <ostream>

#include "adaptsim/io/number_text.h"

namespace {

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t comma = line.find(',', start);
    fields.push_back(line.substr(start, comma - start));
    if (comma == std::string::npos) return fields;
    start = comma + 1;
  }
}

bool IsBlankLine(const std::string& line) {
  return line.find_first_not_of(" \t") == std::string::npos;
}

bool HasNumber(const std::vector<std::string>& fields) {
  double ignored;
  for (const std::string& field : fields) {
    if (ParseDouble(field, &ignored)) return true;
  }
  return false;
}

bool EndsWith(const std::string& text, const char* suffix) {
  const std::string s(suffix);
  return text.size() >= s.size() && text.compare(text.size() - s.size(), s.size(), s) == 0;
}

std::string CountText(size_t count, const char* noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

}  // namespace

bool IsCsvPath(const std::string& path) {
  return path.empty() || path == "-" || EndsWith(path, ".csv") || EndsWith(path, ".CSV") || EndsWith(path, ".txt");
}

bool ReadSampleCsv(std::istream& in, size_t columns, SampleTable* table, std::string* error) {
  table->columns = columns;
  table->values.clear();
  std::string line;
  size_t lineNumber = 0;
  bool firstLine = true;
  std::vector<double> row(columns);
  while (std::getline(in, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (IsBlankLine(line)) continue;
    const std::vector<std::string> fields = SplitFields(line);
    const std::string where = "line " + std::to_string(lineNumber) + ": ";
    if (fields.size() != columns) {
      *error = where + CountText(fields.size(), "column") + ", expected " + CountText(columns, "column");
      table->values.clear();
      return false;
    }
    const bool header = firstLine && !HasNumber(fields);
    firstLine = false;
    if (header) continue;
    for (size_t c = 0; c < columns; ++c) {
      if (!ParseDouble(fields[c], &row[c])) {
        *error = where + "column " + std::to_string(c + 1) + " is not a number: \"" + fields[c] + "\"";
        table->values.clear();
        return false;
      }
    }
    table->values.insert(table->values.end(), row.begin(), row.end());
  }
  if (in.bad()) {
    *error = "read error after line " + std::to_string(lineNumber);
    table->values.clear();
    return false;
  }
  return true;
}

void WriteCsvHeader(std::ostream& out, const std::vector<std::string>& names) {
  for (size_t i = 0; i < names.size(); ++i) {
    if (i != 0) out << ',';
    out << names[i];
  }
  out << '\n';
}

void WriteCsvRow(std::ostream& out, const double* values, size_t count) {
  std::string line;
  for (size_t i = 0; i < count; ++i) {
    if (i != 0) line += ',';
    line += FormatExact(values[i]);
  }
  line += '\n';
  out.write(line.data(), static_cast<std::streamsize>(line.size()));
}
