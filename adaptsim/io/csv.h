// Sample files: comma-separated values, one row per sample and one column per
// port.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

// Samples read from a file, row after row.
struct SampleTable {
  size_t columns = 0;
  std::vector<double> values;

  size_t rows() const { return columns == 0 ? 0 : values.size() / columns; }
  const double* row(size_t index) const { return values.data() + index * columns; }
};

// True when `path` should be read or written as CSV rather than as a sound
// file: standard input/output ("" or "-") and names ending in .csv or .txt.
bool IsCsvPath(const std::string& path);

// Reads every row of `in`, each of exactly `columns` numbers ("nan" and "inf"
// included). A first line without any number is taken for a line of port names
// and skipped; blank lines are skipped. On the first malformed line returns
// false with its line number in *error and leaves *table empty.
bool ReadSampleCsv(std::istream& in, size_t columns, SampleTable* table, std::string* error);

void WriteCsvHeader(std::ostream& out, const std::vector<std::string>& names);
// One row, every value printed "%.17g" so that it reads back exactly.
void WriteCsvRow(std::ostream& out, const double* values, size_t count);
