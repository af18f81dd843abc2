// Where a run's output rows go, one row per sample as it is computed: CSV on
// a stream, or a sound file (sound_file.h).
#pragma once

#include <cstddef>
#include <fstream>
#include <string>
#include <vector>

class SampleWriter {
 public:
  virtual ~SampleWriter() = default;
  // One value per column.
  virtual void write(const double* row) = 0;
  // Passes on what is buffered, so that a reader of a pipe sees it now.
  virtual void flush() = 0;
  // Completes the output; false with the reason when anything could not be
  // written. Warnings (such as clipped samples) go to *notes.
  virtual bool finish(std::string* error, std::string* notes) = 0;
};

// CSV with a first line of column names and every value to 17 significant
// digits, on standard output for "" and "-" or into the file at `path` (any
// name: /dev/null and other special files included).
class CsvSampleWriter : public SampleWriter {
 public:
  CsvSampleWriter(std::ostream& standardOutput, const std::string& path, size_t columns);
  // False with the reason when the file cannot be opened.
  bool open(const std::vector<std::string>& names, std::string* error);
  void write(const double* row) override;
  void flush() override;
  bool finish(std::string* error, std::string* notes) override;

 private:
  std::ostream* out;
  std::ofstream file;
  std::string path;
  size_t columns;
};
