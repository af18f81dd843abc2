// The matrix text reader on arbitrary bytes. Besides the sanitizers' findings:
// a named matrix read without any failure writes out (at full precision) to a
// text that reads back to the same name, shape and elements.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "numerics/text_format.h"

using namespace adaptive;

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "matrix text reader: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  Matrix m;
  in >> m;
  std::ostringstream listing;
  writetitled(listing, m);
  if (in.fail() || m.data() == nullptr) return 0;
  // A name is one word, and a word may hold a NUL byte that ends the name
  // early; an empty name has no saved form that reads back.
  if (m.getname() == nullptr || m.getname()[0] == '\0') return 0;

  std::ostringstream saved;
  saved.precision(17);
  saved << m;
  std::istringstream again(saved.str());
  Matrix copy;
  again >> copy;
  if (again.fail()) Fail("a matrix it read does not read back");
  if (copy.rows() != m.rows() || copy.cols() != m.cols()) Fail("shape changed in a round trip");
  if (copy.getname() == nullptr || std::strcmp(m.getname(), copy.getname()) != 0) Fail("name changed in a round trip");
  if (m.size() > 0 && std::memcmp(m.data(), copy.data(), sizeof(double) * static_cast<size_t>(m.size())) != 0)
    Fail("element changed in a round trip");
  return 0;
}
