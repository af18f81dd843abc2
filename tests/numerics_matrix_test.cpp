// Storage, sharing, naming and allocation failures of Matrix.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "numerics/matrix.h"

namespace {

void ExpectAll(const Matrix& m, double value) {
  for (std::ptrdiff_t k = 0; k < m.size(); ++k) EXPECT_EQ(m.data()[k], value) << "element " << k;
}

void ExpectWithoutStorage(const Matrix& m) {
  EXPECT_FALSE(m.hasstorage());
  EXPECT_EQ(m.rows(), 0);
  EXPECT_EQ(m.cols(), 0);
  EXPECT_EQ(m.data(), nullptr);
}

TEST(MatrixStorage, ConstructionLayoutAndAccess) {
  Matrix m(3, 2, nullptr);
  EXPECT_EQ(m.rows(), 3);
  EXPECT_EQ(m.cols(), 2);
  EXPECT_EQ(m.size(), 6);
  ExpectAll(m, 0.0);
  // Column by column: (2, 1) is the sixth stored element, (1, 0) the second.
  m(2, 1) = 7.5;
  m(1, 0) = -1.0;
  EXPECT_EQ(m.data()[5], 7.5);
  EXPECT_EQ(m.data()[1], -1.0);
  const Matrix& view = m;
  EXPECT_EQ(view(2, 1), 7.5);

  ExpectWithoutStorage(Matrix());
}

TEST(MatrixStorage, CopySharesUntilLastHolderGoes) {
  Matrix a(2, 2, "a");
  double* block = a.data();
  {
    Matrix b(a);
    EXPECT_EQ(b.data(), block);
    EXPECT_EQ(b.getname(), nullptr);  // the name is not copied
    b(0, 1) = 3.0;
    EXPECT_EQ(a(0, 1), 3.0);
    a(1, 1) = 4.0;
    EXPECT_EQ(b(1, 1), 4.0);
  }
  // b is gone, so a is the only holder again: self-assignment keeps the block
  // (it would unshare a block that still had two holders).
  a = a;
  EXPECT_EQ(a.data(), block);
  EXPECT_EQ(a(0, 1), 3.0);
  EXPECT_STREQ(a.getname(), "a");
}

TEST(MatrixStorage, AssignmentCopiesElementsAndShape) {
  Matrix source(2, 3, nullptr);
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 2; ++i) source(i, j) = 10 * i + j;
  Matrix target(4, 1, "target");
  target = source;
  EXPECT_EQ(target.rows(), 2);
  EXPECT_EQ(target.cols(), 3);
  EXPECT_NE(target.data(), source.data());
  EXPECT_STREQ(target.getname(), "target");
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 2; ++i) EXPECT_EQ(target(i, j), 10 * i + j);
  target(1, 2) = -5.0;
  source(0, 0) = -6.0;
  EXPECT_EQ(source(1, 2), 12.0);
  EXPECT_EQ(target(0, 0), 0.0);

  // Assigning between two holders of one block gives the target a copy.
  Matrix holder(source);
  holder = source;
  EXPECT_NE(holder.data(), source.data());
  EXPECT_EQ(holder(0, 0), -6.0);
}

TEST(MatrixStorage, SelfAssignmentOfSharedBlockUnshares) {
  Matrix a(2, 1, nullptr);
  a(0, 0) = 1.0;
  a(1, 0) = 2.0;
  Matrix other(a);
  double* shared = a.data();
  a = a;
  EXPECT_NE(a.data(), shared);
  EXPECT_EQ(other.data(), shared);
  EXPECT_EQ(a(0, 0), 1.0);
  EXPECT_EQ(a(1, 0), 2.0);
  a(0, 0) = 9.0;
  EXPECT_EQ(other(0, 0), 1.0);
  // The other holder's count went down to 1: its own self-assignment is now a
  // no-op.
  other = other;
  EXPECT_EQ(other.data(), shared);
}

TEST(MatrixStorage, ShareAdoptsBlock) {
  Matrix a(2, 2, "a");
  Matrix b(1, 1, "b");
  double* block = a.data();
  b.share(a);
  EXPECT_EQ(b.data(), block);
  EXPECT_EQ(b.rows(), 2);
  EXPECT_STREQ(b.getname(), "b");
  b(1, 0) = 5.0;
  EXPECT_EQ(a(1, 0), 5.0);
  // Sharing a block one already holds, or with itself, changes nothing.
  b.share(a);
  b.share(b);
  EXPECT_EQ(b.data(), block);
  a.clear();
  ExpectWithoutStorage(a);
  EXPECT_EQ(a.getname(), nullptr);
  EXPECT_EQ(b(1, 0), 5.0);  // b still holds the block
}

TEST(MatrixStorage, ResizeZeroIdentity) {
  Matrix a(2, 2, "kept");
  Matrix holder(a);
  a(0, 0) = 1.0;
  EXPECT_FALSE(a.resize(2, 2));
  // New storage even for the same shape; the old holder keeps its values.
  EXPECT_NE(a.data(), holder.data());
  EXPECT_EQ(holder(0, 0), 1.0);
  EXPECT_STREQ(a.getname(), "kept");
  a.zero();
  ExpectAll(a, 0.0);

  a.identity(3, 2, 5.0);
  ASSERT_EQ(a.rows(), 3);
  ASSERT_EQ(a.cols(), 2);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 3; ++i) EXPECT_EQ(a(i, j), i == j ? 5.0 : 0.0);
  a.identity(2, 3, 1.0);
  EXPECT_EQ(a(1, 1), 1.0);
  EXPECT_EQ(a(1, 2), 0.0);
}

TEST(MatrixStorage, Names) {
  Matrix m;
  EXPECT_EQ(m.getname(), nullptr);
  char text[] = "first";
  EXPECT_FALSE(m.setname(text));
  text[0] = 'X';  // the matrix keeps its own copy
  EXPECT_STREQ(m.getname(), "first");
  EXPECT_FALSE(m.setname("second"));
  EXPECT_STREQ(m.getname(), "second");
  EXPECT_FALSE(m.setname(nullptr));
  EXPECT_EQ(m.getname(), nullptr);
  Matrix named(1, 1, "P");
  EXPECT_STREQ(named.getname(), "P");
}

TEST(MatrixAllocation, ImpossibleSizesFailWithoutStorage) {
  Matrix m(2, 2, nullptr);
  EXPECT_TRUE(m.resize(-1, 3));
  ExpectWithoutStorage(m);
  EXPECT_TRUE(m.resize(3, -1));
  EXPECT_TRUE(m.resize(INT32_MAX, INT32_MAX));  // 2^62 elements
  ExpectWithoutStorage(m);
  // Within the index range but far beyond any address space: malloc fails.
  EXPECT_TRUE(m.resize(INT32_MAX, 1 << 27));
  ExpectWithoutStorage(m);
  // Zero rows or columns are valid, empty matrices.
  EXPECT_FALSE(m.resize(0, 5));
  EXPECT_EQ(m.cols(), 5);
  EXPECT_EQ(m.size(), 0);
  m.zero();
  EXPECT_EQ(m.maxabs(), 0.0);

  Matrix failed(-2, 2, "bad");
  ExpectWithoutStorage(failed);
  failed.zero();
  failed.identity(-1, 4, 1.0);
  ExpectWithoutStorage(failed);
  EXPECT_FALSE(failed.resize(1, 1));  // usable again after a good resize
  failed(0, 0) = 2.0;
  EXPECT_EQ(failed(0, 0), 2.0);

  // Assigning an object without storage leaves the target without storage.
  Matrix target(2, 2, nullptr);
  target = Matrix();
  ExpectWithoutStorage(target);
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
