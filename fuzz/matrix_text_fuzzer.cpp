// The matrix text reader on arbitrary bytes. Besides the sanitizers' findings:
// a named matrix read without any failure writes out (at full precision) to a
// text that reads back to the same name, shape and elements.
//
// A few bytes may declare millions of elements (missing ones read as 0.0), and
// the reader takes them all, up to its cap of 2^24, in a fraction of a second.
// Writing such a matrix back costs 0.2 to 0.4 us an element in a plain build
// (the titled listing flushes every fourth element) and some three times that
// here: many seconds for the largest, against the 20 s an input may take in
// CI. The harness therefore lists and round-trips only matrices of at most
// kMaxWrittenElements elements, a few milliseconds of writing. Every line of
// the writers is reached by a 1 x 5 matrix as much as by a huge one, and a text
// of the few kB the fuzzer makes spells out fewer elements than that: what is
// skipped is only matrices made mostly of the zeros their texts lack.
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

constexpr std::ptrdiff_t kMaxWrittenElements = 4096;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  Matrix m;
  in >> m;
  if (m.size() > kMaxWrittenElements) return 0;
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
