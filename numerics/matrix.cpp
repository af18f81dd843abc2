#include "numerics/matrix.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace adaptive {

bool MatrixData::byteSize(int32_t rows, int32_t cols, uint64_t byteLimit, size_t& bytes) {
  if (rows < 0 || cols < 0) return false;
  // At most (2^31)^2 = 2^62 elements: the product cannot wrap in 64 bits.
  const uint64_t count = static_cast<uint64_t>(rows) * static_cast<uint64_t>(cols);
  if (count > byteLimit / sizeof(double)) return false;
  bytes = static_cast<size_t>(count * sizeof(double));
  return true;
}

MatrixData* MatrixData::allocate(int32_t rows, int32_t cols) {
  size_t bytes = 0;
  if (!byteSize(rows, cols, static_cast<uint64_t>(PTRDIFF_MAX), bytes)) return nullptr;
  MatrixData* block = new (std::nothrow) MatrixData;
  if (block == nullptr) return nullptr;
  // An empty matrix still gets a real (one-element) array, so that a null
  // element pointer always means a failed allocation. The elements start on
  // a cache line, whatever alignment malloc gives (8 bytes in the Windows
  // plug-in, 16 elsewhere): the kernels' vector loads of aligned rows then
  // never straddle two lines, and their speed does not depend on where the
  // heap happens to place a matrix. bytes <= PTRDIFF_MAX, so the sum cannot wrap.
  constexpr size_t kAlignment = 64;
  block->allocation = std::malloc((bytes != 0 ? bytes : sizeof(double)) + kAlignment - 1);
  if (block->allocation == nullptr) {
    delete block;
    return nullptr;
  }
  const uintptr_t start = reinterpret_cast<uintptr_t>(block->allocation);
  block->elements = reinterpret_cast<double*>((start + kAlignment - 1) & ~static_cast<uintptr_t>(kAlignment - 1));
  block->columns = cols;
  block->rows = rows;
  block->references = 1;
  return block;
}

Matrix::Matrix() : block(nullptr), name(nullptr) {}

Matrix::Matrix(int32_t rows, int32_t cols, const char* text)
    : block(MatrixData::allocate(rows, cols)), name(nullptr) {
  if (text != nullptr) setname(text);
  zero();
}

Matrix::Matrix(const Matrix& source) : block(source.block), name(nullptr) {
  if (block != nullptr) ++block->references;
}

Matrix::~Matrix() {
  dropReference();
  std::free(name);
}

void Matrix::dropReference() {
  if (block == nullptr) return;
  if (block->references == 1) {
    std::free(block->allocation);
    delete block;
  } else {
    --block->references;
  }
  block = nullptr;
}

bool Matrix::setname(const char* text) {
  std::free(name);
  name = nullptr;
  if (text == nullptr) return false;
  const size_t bytes = std::strlen(text) + 1;
  name = static_cast<char*>(std::malloc(bytes));
  if (name == nullptr) {
    std::fputs("Out of memory in void Matrix::setname( char * )\n", stderr);
    return true;
  }
  std::memcpy(name, text, bytes);
  return false;
}

bool Matrix::resize(int32_t rows, int32_t cols) {
  dropReference();
  block = MatrixData::allocate(rows, cols);
  return block == nullptr;
}

void Matrix::zero() {
  double* e = data();
  const std::ptrdiff_t n = size();
  for (std::ptrdiff_t k = 0; k < n; ++k) e[k] = 0.0;
}

void Matrix::identity(int32_t rows, int32_t cols, double value) {
  resize(rows, cols);
  zero();
  // After a failed resize rows() and cols() are 0 and nothing is written.
  const int32_t n = this->rows() < this->cols() ? this->rows() : this->cols();
  for (int32_t i = 0; i < n; ++i) (*this)(i, i) = value;
}

void Matrix::clear() {
  dropReference();
  std::free(name);
  name = nullptr;
}

Matrix& Matrix::operator=(const Matrix& source) {
  if (&source == this) {
    // Only a shared block needs a private copy; on allocation failure the
    // object keeps holding the shared one, so no value is lost.
    if (block != nullptr && block->references > 1) {
      MatrixData* own = MatrixData::allocate(block->rows, block->columns);
      if (own != nullptr) {
        std::memcpy(own->elements, block->elements, static_cast<size_t>(size()) * sizeof(double));
        --block->references;
        block = own;
      }
    }
    return *this;
  }
  // The source keeps its own reference, so its block survives our drop even
  // when both objects hold the same one.
  dropReference();
  if (source.block == nullptr) return *this;
  block = MatrixData::allocate(source.block->rows, source.block->columns);
  if (block != nullptr) {
    std::memcpy(block->elements, source.block->elements,
                static_cast<size_t>(source.size()) * sizeof(double));
  }
  return *this;
}

Matrix& Matrix::share(const Matrix& source) {
  if (&source == this) return *this;
  MatrixData* adopted = source.block;
  // Count the new reference first: the block we drop may be the same one.
  if (adopted != nullptr) ++adopted->references;
  dropReference();
  block = adopted;
  return *this;
}

}  // namespace adaptive
