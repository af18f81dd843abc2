#include "adaptsim/io/sample_writer.h"

#include <cerrno>
#include <cstring>

#include "adaptsim/io/csv.h"

CsvSampleWriter::CsvSampleWriter(std::ostream& standardOutput, const std::string& path, size_t columns)
    : out(&standardOutput), path(path), columns(columns) {}

bool CsvSampleWriter::open(const std::vector<std::string>& names, std::string* error) {
  if (!path.empty() && path != "-") {
    file.open(path, std::ios::binary);
    if (!file) {
      *error = "cannot write " + path + ": " + std::strerror(errno);
      return false;
    }
    out = &file;
  }
  WriteCsvHeader(*out, names);
  return true;
}

void CsvSampleWriter::write(const double* row) { WriteCsvRow(*out, row, columns); }

void CsvSampleWriter::flush() { out->flush(); }

bool CsvSampleWriter::finish(std::string* error, std::string*) {
  out->flush();
  if (file.is_open()) file.close();
  if (!*out) {
    *error = "error writing " + (out == &file ? path : std::string("standard output"));
    return false;
  }
  return true;
}
