// Dense double-precision matrices with shared, reference-counted storage.
//
// Elements are stored column by column: element (i, j) is
// elements[rows * j + i], so a column vector and a row vector both hold their
// elements in order. Copy construction shares the storage (that is how results
// are returned by value without copying elements); assignment copies elements.
// No operation checks an index or compares shapes: callers keep them in range.
// Allocation never throws; failures are reported by resize() returning true.
#pragma once

#include <cstddef>
#include <cstdint>

namespace adaptive {

class Vector;
class RowVector;

// The storage block that one or more Matrix objects share.
struct MatrixData {
  int32_t columns;
  int32_t rows;
  int32_t references;  // number of Matrix objects holding this block
  double* elements;    // rows * columns elements, on a 64-byte boundary
  void* allocation;    // the block of memory that holds them, owned by the block

  // Byte size of a rows x cols element array, or false when a dimension is
  // negative or the size exceeds byteLimit (which must not exceed SIZE_MAX).
  // The product is formed in 64 bits, so it cannot wrap even where size_t has
  // 32 bits.
  static bool byteSize(int32_t rows, int32_t cols, uint64_t byteLimit, size_t& bytes);

  // A new block with one reference and uninitialised elements, or null when
  // the size is invalid or an allocation fails. Sizes are limited to
  // PTRDIFF_MAX bytes so that every element index fits in a ptrdiff_t.
  static MatrixData* allocate(int32_t rows, int32_t cols);
};

class Matrix {
 public:
  // No storage and no name; give it storage (resize, identity, share or
  // assignment) before any other use.
  Matrix();
  // A rows x cols matrix of zeros, named when name is not null. When the
  // allocation fails the object is left without storage (rows() and cols()
  // then report 0).
  Matrix(int32_t rows, int32_t cols, const char* name);
  // Shares the source's storage (one more reference); the copy is unnamed.
  Matrix(const Matrix& source);
  virtual ~Matrix();

  // 0 for an object without storage.
  int32_t rows() const { return block != nullptr ? block->rows : 0; }
  int32_t cols() const { return block != nullptr ? block->columns : 0; }
  bool hasstorage() const { return block != nullptr; }
  // Number of stored elements, as a ptrdiff_t so that loops over big blocks
  // cannot overflow.
  std::ptrdiff_t size() const {
    return block != nullptr ? static_cast<std::ptrdiff_t>(block->rows) * block->columns : 0;
  }

  const char* getname() const { return name; }
  // Replaces the name with a private copy of text (null text just removes it).
  // Returns true, with a message on stderr and the object unnamed, when the
  // copy cannot be allocated.
  bool setname(const char* text);

  // Unchecked element access; writes are seen by every holder of the block.
  double& operator()(int32_t i, int32_t j) {
    return block->elements[static_cast<std::ptrdiff_t>(block->rows) * j + i];
  }
  const double& operator()(int32_t i, int32_t j) const {
    return block->elements[static_cast<std::ptrdiff_t>(block->rows) * j + i];
  }
  // The stored elements in column-major order, for loops that walk them
  // directly; null without storage.
  double* data() { return block != nullptr ? block->elements : nullptr; }
  const double* data() const { return block != nullptr ? block->elements : nullptr; }

  // Drops the current storage and allocates a fresh, uninitialised block even
  // when the shape is unchanged. Returns true when the allocation failed; the
  // object is then without storage. The name is kept.
  bool resize(int32_t rows, int32_t cols);
  void zero();
  // resize, zero, then value on the main diagonal.
  void identity(int32_t rows, int32_t cols, double value);

  // Drops the storage and the name.
  virtual void clear();
  // Deep copy: this object gets a private block of the source's shape holding
  // a copy of its elements. Assigning an object to itself only unshares it.
  // The name is never changed.
  virtual Matrix& operator=(const Matrix& source);
  // Makes this object one more holder of the source's block.
  virtual Matrix& share(const Matrix& source);

  // Element-wise over the stored elements; the result has this shape.
  virtual Matrix operator+(const double& s) const;
  virtual Matrix operator+(const Matrix& b) const;
  virtual Matrix operator-(const double& s) const;
  virtual Matrix operator-(const Matrix& b) const;
  virtual Matrix operator*(const double& s) const;
  virtual Matrix operator/(const double& s) const;

  // Rows, columns and sub-matrices (matrix_parts.cpp). Callers that use the
  // vector results include "numerics/vector.h".
  RowVector row(int32_t i) const;
  Vector col(int32_t j) const;
  void setrow(int32_t i, const RowVector& r);
  void setcol(int32_t j, const Vector& v);
  // Moves column j down by one (its last element is lost) and puts value on
  // top; shiftright does the same along row i.
  void shiftdown(const double& value, int32_t j);
  void shiftright(const double& value, int32_t i);
  // This matrix moved n rows down and n columns right into a larger matrix of
  // zeros; strip(n) is the reverse.
  Matrix pad(int32_t n) const;
  Matrix strip(int32_t n) const;
  Matrix square() const;
  // Divides every column by its largest absolute value, in place.
  Matrix& normalize();
  // Largest absolute value of all elements (0.0 for an empty matrix).
  double maxabs() const;

  // The inverse, by Gauss-Jordan elimination with full pivoting (solve.cpp);
  // this matrix is not changed. The library runs inside a host's process, so
  // a failure does not end the process: a matrix that is not square writes
  // "\nMatrix::invert() : Matrix not square!!\n", a zero pivot writes
  // "\nMatrix::inverse() : Singular Matrix!\n" (to stderr), and the result is
  // returned without storage (hasstorage() is false); so is it, after
  // "Out of memory in Matrix Matrix::inverse()\n", when the working storage
  // cannot be allocated. No tolerance: a pivot of 1e-300 is used.
  Matrix inverse() const;


 private:
  void dropReference();

  MatrixData* block;
  char* name;
};

}  // namespace adaptive
