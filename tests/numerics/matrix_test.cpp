// Storage, sharing, naming and allocation failures of Matrix.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "numerics/matrix.h"

namespace adaptive {

namespace {

void ExpectWithoutStorage(const Matrix& m) {
  EXPECT_FALSE(m.hasstorage());
  EXPECT_EQ(m.rows(), 0);
  EXPECT_EQ(m.cols(), 0);
  EXPECT_EQ(m.data(), nullptr);
}

TEST(MatrixStorage, ConstructionLayoutResizeAndIdentity) {
  Matrix m(3, 2, nullptr);
  EXPECT_EQ(m.size(), 6);
  for (std::ptrdiff_t k = 0; k < m.size(); ++k) EXPECT_EQ(m.data()[k], 0.0) << k;
  // Column by column: (2, 1) is the sixth stored element, (1, 0) the second.
  m(2, 1) = 7.5;
  m(1, 0) = -1.0;
  EXPECT_EQ(m.data()[5], 7.5);
  EXPECT_EQ(m.data()[1], -1.0);
  ExpectWithoutStorage(Matrix());

  Matrix a(2, 2, "kept");
  Matrix holder(a);
  a(0, 0) = 1.0;
  EXPECT_FALSE(a.resize(2, 2));
  // New storage even for the same shape; the old holder keeps its values.
  EXPECT_NE(a.data(), holder.data());
  EXPECT_EQ(holder(0, 0), 1.0);
  EXPECT_STREQ(a.getname(), "kept");
  a.identity(3, 2, 5.0);
  ASSERT_EQ(a.rows(), 3);
  ASSERT_EQ(a.cols(), 2);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 3; ++i) EXPECT_EQ(a(i, j), i == j ? 5.0 : 0.0);
  a.zero();
  EXPECT_EQ(a(1, 1), 0.0);
}

TEST(MatrixStorage, CopiesShareAssignmentsCopy) {
  Matrix a(2, 2, "a");
  double* block = a.data();
  {
    Matrix b(a);
    EXPECT_EQ(b.data(), block);
    EXPECT_EQ(b.getname(), nullptr);  // the name is not copied
    b(0, 1) = 3.0;
    EXPECT_EQ(a(0, 1), 3.0);
  }
  // b is gone, so a is the only holder again: self-assignment keeps the block.
  a = a;
  EXPECT_EQ(a.data(), block);
  EXPECT_EQ(a(0, 1), 3.0);
  EXPECT_STREQ(a.getname(), "a");
  // With a second holder, self-assignment unshares; the other holder's count
  // goes down to 1, so its own self-assignment is then a no-op.
  Matrix other(a);
  a = a;
  EXPECT_NE(a.data(), block);
  EXPECT_EQ(a(0, 1), 3.0);
  a(0, 1) = 9.0;
  EXPECT_EQ(other(0, 1), 3.0);
  other = other;
  EXPECT_EQ(other.data(), block);

  // Assignment copies elements and shape, and keeps the target's name.
  Matrix target(4, 1, "target");
  target = a;
  EXPECT_EQ(target.rows(), 2);
  EXPECT_EQ(target.cols(), 2);
  EXPECT_NE(target.data(), a.data());
  EXPECT_STREQ(target.getname(), "target");
  EXPECT_EQ(target(0, 1), 9.0);
  // Assigning between two holders of one block gives the target a copy.
  Matrix holder(a);
  holder = a;
  EXPECT_NE(holder.data(), a.data());
  // Assigning an object without storage leaves the target without storage.
  target = Matrix();
  ExpectWithoutStorage(target);
}

TEST(MatrixStorage, ShareAndClear) {
  Matrix a(2, 2, "a");
  Matrix b(1, 1, "b");
  double* block = a.data();
  b.share(a);
  EXPECT_EQ(b.data(), block);
  EXPECT_EQ(b.rows(), 2);
  EXPECT_STREQ(b.getname(), "b");
  // Sharing a block one already holds, or with itself, changes nothing.
  b.share(a);
  b.share(b);
  EXPECT_EQ(b.data(), block);
  b(1, 0) = 5.0;
  a.clear();
  ExpectWithoutStorage(a);
  EXPECT_EQ(a.getname(), nullptr);
  EXPECT_EQ(b(1, 0), 5.0);  // b still holds the block
}

TEST(MatrixStorage, Names) {
  Matrix m;
  EXPECT_EQ(m.getname(), nullptr);
  char text[] = "first";
  EXPECT_FALSE(m.setname(text));
  text[0] = 'X';  // the matrix keeps its own copy
  EXPECT_STREQ(m.getname(), "first");
  EXPECT_FALSE(m.setname(nullptr));
  EXPECT_EQ(m.getname(), nullptr);
  EXPECT_STREQ(Matrix(1, 1, "P").getname(), "P");
}

TEST(MatrixAllocation, ImpossibleSizesFailWithoutStorage) {
  Matrix m(2, 2, nullptr);
  EXPECT_TRUE(m.resize(3, -1));
  ExpectWithoutStorage(m);
  EXPECT_TRUE(m.resize(INT32_MAX, INT32_MAX));  // 2^62 elements
  ExpectWithoutStorage(m);
  // Within the index range but far beyond any address space: malloc fails.
  EXPECT_TRUE(m.resize(INT32_MAX, 1 << 27));
  ExpectWithoutStorage(m);
  // Zero rows or columns are valid, empty matrices.
  EXPECT_FALSE(m.resize(0, 5));
  EXPECT_EQ(m.cols(), 5);
  EXPECT_EQ(m.size(), 0);
  EXPECT_EQ(m.maxabs(), 0.0);

  Matrix failed(-2, 2, "bad");
  ExpectWithoutStorage(failed);
  failed.zero();
  failed.identity(-1, 4, 1.0);
  ExpectWithoutStorage(failed);
  EXPECT_FALSE(failed.resize(1, 1));  // usable again after a good resize
  failed(0, 0) = 2.0;
  EXPECT_EQ(failed(0, 0), 2.0);
}

TEST(MatrixAllocation, ByteSizeLimits) {
  size_t bytes = 0;
  ASSERT_TRUE(MatrixData::byteSize(3, 4, SIZE_MAX, bytes));
  EXPECT_EQ(bytes, 96u);
  EXPECT_FALSE(MatrixData::byteSize(-1, 0, SIZE_MAX, bytes));
  EXPECT_FALSE(MatrixData::byteSize(0, INT32_MIN, SIZE_MAX, bytes));
  // With a 32-bit address space (PTRDIFF_MAX = 2^31 - 1): 65536 x 65536 would
  // wrap a 32-bit size_t to 0, and 65536 x 4096 doubles is exactly 2^31 bytes.
  const uint64_t limit32 = INT32_MAX;
  EXPECT_FALSE(MatrixData::byteSize(65536, 65536, limit32, bytes));
  EXPECT_FALSE(MatrixData::byteSize(65536, 4096, limit32, bytes));
  ASSERT_TRUE(MatrixData::byteSize(65535, 4096, limit32, bytes));
  EXPECT_EQ(bytes, 65535u * 4096u * 8u);
  // Even an unlimited size_t cannot hold 2^62 doubles.
  EXPECT_FALSE(MatrixData::byteSize(INT32_MAX, INT32_MAX, SIZE_MAX, bytes));
}

}  // namespace

}  // namespace adaptive
