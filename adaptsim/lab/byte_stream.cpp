#include "adaptsim/lab/byte_stream.h"

#include <cstring>

void ByteWriter::putRaw(const void* data, size_t size) {
  buffer.append(static_cast<const char*>(data), size);
}

void ByteWriter::putInt(int64_t value) { putRaw(&value, sizeof value); }
void ByteWriter::putDouble(double value) { putRaw(&value, sizeof value); }

void ByteWriter::putString(const std::string& text) {
  putInt(static_cast<int64_t>(text.size()));
  putRaw(text.data(), text.size());
}

void ByteWriter::putDoubles(const std::vector<double>& values) {
  putInt(static_cast<int64_t>(values.size()));
  if (!values.empty()) putRaw(values.data(), values.size() * sizeof(double));
}

bool ByteReader::getRaw(void* out, size_t size) {
  if (failed || data.size() - position < size) {
    failed = true;
    return false;
  }
  if (size > 0) std::memcpy(out, data.data() + position, size);
  position += size;
  return true;
}

bool ByteReader::getInt(int64_t* value) { return getRaw(value, sizeof *value); }
bool ByteReader::getDouble(double* value) { return getRaw(value, sizeof *value); }

bool ByteReader::getString(std::string* text) {
  int64_t size = 0;
  if (!getInt(&size) || size < 0 || static_cast<uint64_t>(size) > data.size() - position) {
    failed = true;
    return false;
  }
  text->assign(data, position, static_cast<size_t>(size));
  position += static_cast<size_t>(size);
  return true;
}

bool ByteReader::getDoubles(std::vector<double>* values) {
  int64_t count = 0;
  if (!getInt(&count) || count < 0 || static_cast<uint64_t>(count) > (data.size() - position) / sizeof(double)) {
    failed = true;
    return false;
  }
  values->resize(static_cast<size_t>(count));
  return getRaw(values->data(), values->size() * sizeof(double));
}
