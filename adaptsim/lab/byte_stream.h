// Plain binary encoding of the results that worker processes send back to
// the parent through a pipe (both ends are the same executable).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class ByteWriter {
 public:
  void putInt(int64_t value);
  void putDouble(double value);
  void putString(const std::string& text);
  void putDoubles(const std::vector<double>& values);
  const std::string& bytes() const { return buffer; }

 private:
  void putRaw(const void* data, size_t size);
  std::string buffer;
};

// Reads what ByteWriter wrote; every getter returns false once the data runs
// short (or a length is implausible), and stays false.
class ByteReader {
 public:
  explicit ByteReader(const std::string& bytes) : data(bytes) {}
  bool getInt(int64_t* value);
  bool getDouble(double* value);
  bool getString(std::string* text);
  bool getDoubles(std::vector<double>* values);
  bool atEnd() const { return position == data.size(); }

 private:
  bool getRaw(void* out, size_t size);
  const std::string& data;
  size_t position = 0;
  bool failed = false;
};
