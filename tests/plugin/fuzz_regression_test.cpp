// Inputs the fuzzers found, kept so that what they broke stays mended.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "numerics/text_format.h"
#include "api/token_session.h"
#include "tests/support/file_text.h"
#include "plugin/exports.h"

namespace adaptive {

namespace {

// A short text declaring 2000 x 6666 elements whose numbers cannot be read
// (the fuzzer's input had 4998 rows and took over 20 s under the sanitizers,
// one failing extraction per element): every element is stored as 0.0.
TEST(FuzzRegression, MatrixTextWithMillionsOfUnreadableElements) {
  std::istringstream in("\x01\x0f\n#\n\xdf\xac\n#\n#n\x18#\nmatrix\n#\n#\n2000\n#\n2#\t6666ix\n#\n");
  Matrix m;
  in >> m;
  EXPECT_TRUE(in.fail());
  ASSERT_EQ(m.rows(), 2000);
  ASSERT_EQ(m.cols(), 6666);
  EXPECT_STREQ(m.getname(), "\xdf\xac");
  for (std::ptrdiff_t k = 0; k < m.size(); k += 4099) ASSERT_EQ(m.data()[k], 0.0);
  EXPECT_EQ(m(1999, 6665), 0.0);
}

// A name word holding a NUL byte reads as the part before it (here empty).
TEST(FuzzRegression, MatrixNameWithANulByte) {
  const char text[] = "# name: \0ab\n# type: scalar\n2.5\n";
  std::istringstream in(std::string(text, sizeof text - 1));
  Matrix m;
  in >> m;
  ASSERT_EQ(m.rows(), 1);
  EXPECT_EQ(m(0, 0), 2.5);
  EXPECT_STREQ(m.getname(), "");
}

// Multi-channel RLS and Newton tokens refused for lengths whose sum overflows
// 32 bits summed those lengths again when destroyed (signed overflow).
TEST(FuzzRegression, RefusedHugeMultiChannelLengthsAreDestroyedCleanly) {
  TokenSession rls(&RLS3, 4, 3, {1073741824.0, 1073741824.0, 1073741824.0, 0.99, 0.01});
  EXPECT_EQ(rls.create(), 1002);
  EXPECT_EQ(rls.terminate(), 0);
  TokenSession newton(&NEW3, 4, 3, {10, 2147483647.0, 10, 0.999, 0.1, 1, 0.00001});
  EXPECT_EQ(newton.create(), 1002);
  EXPECT_EQ(newton.terminate(), 0);
}

}  // namespace

}  // namespace adaptive
