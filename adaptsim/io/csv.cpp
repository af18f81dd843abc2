#include "adaptsim/io/csv.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <istream>
#include <ostream>

#include "adaptive/number_text.h"

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

bool IsBlankLine(const std::string& line) {
  return line.find_first_not_of(" \t") == std::string::npos;
}

std::string CountText(size_t count, const char* noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// A field as a message may show it: control bytes as \xNN, cut at 40 bytes.
std::string Shown(const std::string& field) {
  std::string text;
  for (size_t i = 0; i < field.size() && i < 40; ++i) {
    const unsigned char c = static_cast<unsigned char>(field[i]);
    if (c < 0x20 || c == 0x7f) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
      text += escaped;
    } else {
      text += field[i];
    }
  }
  return field.size() > 40 ? text + "..." : text;
}

}  // namespace

CsvRowReader::LineStatus CsvRowReader::readLine() {
  for (;;) {
    if (at == filled) {
      if (ended) {
        if (line.empty()) return LineStatus::kEnd;
        return LineStatus::kLine;  // the last line has no line end
      }
      if (beforeWaiting) beforeWaiting();
      const long got = source.read(buffer.data(), buffer.size());
      if (got == ByteSource::kInterrupted) return LineStatus::kInterrupted;
      if (got == ByteSource::kFailed) return LineStatus::kFailed;
      if (got == ByteSource::kEnd) {
        ended = true;
        continue;
      }
      at = 0;
      filled = static_cast<size_t>(got);
    }
    const char* begin = buffer.data() + at;
    const char* newline = static_cast<const char*>(std::memchr(begin, '\n', filled - at));
    const size_t take = newline != nullptr ? static_cast<size_t>(newline - begin) : filled - at;
    if (line.size() + take > kMaxLineBytes) return LineStatus::kTooLong;
    line.append(begin, take);
    at += take;
    if (newline != nullptr) {
      ++at;
      return LineStatus::kLine;
    }
  }
}

CsvRowReader::Status CsvRowReader::next(double* row, std::string* error) {
  for (;;) {
    const LineStatus status = readLine();
    if (status == LineStatus::kInterrupted) return Status::kInterrupted;
    if (status == LineStatus::kEnd) return Status::kEnd;
    ++lines;
    const std::string where = "line " + std::to_string(lines) + ": ";
    if (status == LineStatus::kTooLong) {
      *error = where + "longer than " + std::to_string(kMaxLineBytes) + " bytes";
      return Status::kError;
    }
    if (status == LineStatus::kFailed) {
      *error = "read error at " + where.substr(0, where.size() - 2);
      return Status::kError;
    }
    std::string text;
    text.swap(line);
    if (lines == 1 && text.compare(0, 3, kByteOrderMark) == 0) text.erase(0, 3);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.find('\0') != std::string::npos) {
      *error = where + "holds a NUL byte: not a text file";
      return Status::kError;
    }
    if (IsBlankLine(text)) continue;
    // Counted before splitting, so that a line of a million commas costs
    // nothing but the line itself.
    const size_t fields = static_cast<size_t>(std::count(text.begin(), text.end(), ',')) + 1;
    if (fields != columns) {
      *error = where + CountText(fields, "column") + ", expected " + CountText(columns, "column");
      return Status::kError;
    }
    const bool first = !sawFirst;
    sawFirst = true;
    bool anyNumber = false, allNumbers = true;
    std::string bad;
    size_t badColumn = 0;
    size_t start = 0;
    for (size_t c = 0; c < columns; ++c) {
      const size_t comma = std::min(text.find(',', start), text.size());
      const std::string field = text.substr(start, comma - start);
      start = comma + 1;
      if (adaptive::ParseDouble(field, &row[c])) {
        anyNumber = true;
      } else if (allNumbers) {
        allNumbers = false;
        bad = field;
        badColumn = c + 1;
      }
    }
    if (allNumbers) return Status::kRow;
    if (first && !anyNumber) continue;  // the line of port names
    *error = where + "column " + std::to_string(badColumn) + " is not a number: \"" + Shown(bad) + "\"";
    return Status::kError;
  }
}

bool ReadSampleCsv(std::istream& in, size_t columns, SampleTable* table, std::string* error) {
  table->columns = columns;
  table->values.clear();
  StreamSource source(in);
  CsvRowReader reader(source, columns);
  std::vector<double> row(columns);
  for (;;) {
    const CsvRowReader::Status status = reader.next(row.data(), error);
    if (status == CsvRowReader::Status::kEnd) return true;
    if (status != CsvRowReader::Status::kRow) {
      table->values.clear();
      return false;
    }
    table->values.insert(table->values.end(), row.begin(), row.end());
  }
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
    line += adaptive::FormatExact(values[i]);
  }
  line += '\n';
  out.write(line.data(), static_cast<std::streamsize>(line.size()));
}
