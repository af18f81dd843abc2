// Sample files: comma-separated values, one row per sample and one column per
// port.
#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "adaptsim/io/byte_source.h"

// Samples read from a file, row after row.
struct SampleTable {
  size_t columns = 0;
  std::vector<double> values;

  size_t rows() const { return columns == 0 ? 0 : values.size() / columns; }
  const double* row(size_t index) const { return values.data() + index * columns; }
};

// Reads rows one at a time as they arrive, each of exactly `columns` numbers
// ("nan" and "inf" included). The first line that is not blank is taken for a
// line of port names and skipped when it holds no number; blank lines are
// skipped; a UTF-8 byte-order mark at the start and CRLF line ends are
// accepted. A line longer than kMaxLineBytes, one holding a NUL byte, one of
// the wrong width or with a field that is not a number ends the reading with
// the line's number and the reason; memory stays bounded whatever the input.
class CsvRowReader {
 public:
  static constexpr size_t kMaxLineBytes = 1 << 20;

  enum class Status { kRow, kEnd, kError, kInterrupted };

  CsvRowReader(ByteSource& source, size_t columns) : source(source), columns(columns) {}

  // The next row into `row` (`columns` values). kInterrupted: the source's
  // wait was cut short (a signal, or a pause in the input); calling again
  // carries on where it was.
  Status next(double* row, std::string* error);
  // Called before each read of the source that may have to wait for data
  // (standard input, a pipe): the moment to pass on what is pending.
  void setBeforeWaiting(std::function<void()> callback) { beforeWaiting = std::move(callback); }
  size_t lineNumber() const { return lines; }

 private:
  enum class LineStatus { kLine, kEnd, kTooLong, kFailed, kInterrupted };
  LineStatus readLine();

  ByteSource& source;
  size_t columns;
  std::function<void()> beforeWaiting;
  std::vector<char> buffer = std::vector<char>(1 << 16);
  size_t at = 0, filled = 0;
  std::string line;
  size_t lines = 0;
  bool sawFirst = false;  // a line that is not blank
  bool ended = false;
};

// Every row of `in` into *table, as CsvRowReader reads them; on the first
// malformed line returns false with its line number in *error and leaves
// *table empty.
bool ReadSampleCsv(std::istream& in, size_t columns, SampleTable* table, std::string* error);

void WriteCsvHeader(std::ostream& out, const std::vector<std::string>& names);
// One row, every value printed "%.17g" so that it reads back exactly.
void WriteCsvRow(std::ostream& out, const double* values, size_t count);
