#include "numerics/text_format.h"

#include <algorithm>
#include <cstring>
#include <iostream>
#include <limits>

namespace adaptive {

namespace {

using Word = char[kMaxWordLength + 1];

// The C white-space set, independent of the stream's locale, so that word
// boundaries are the same everywhere.
bool IsSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Reads one white-space-delimited word. A missing word or one that would not
// fit fails the stream; the input is consumed only up to the overlong part.
bool ReadWord(std::istream& in, Word& word) {
  word[0] = '\0';
  if (in.fail()) return false;
  in >> std::ws;
  int n = 0;
  for (int c = in.peek(); c != std::char_traits<char>::eof() && !IsSpace(c); c = in.peek()) {
    if (n == kMaxWordLength) {
      in.setstate(std::ios::failbit);
      return false;
    }
    word[n++] = static_cast<char>(in.get());
  }
  word[n] = '\0';
  if (n == 0) in.setstate(std::ios::failbit);
  return n != 0;
}

// True when the rest of the current line holds no further word.
bool LineEnds(std::istream& in) {
  int c = in.peek();
  while (c != '\n' && c != std::char_traits<char>::eof() && IsSpace(c)) {
    in.get();
    c = in.peek();
  }
  return c == '\n' || c == std::char_traits<char>::eof();
}

void SkipLine(std::istream& in) { in.ignore(std::numeric_limits<std::streamsize>::max(), '\n'); }

// Reads the two words that open the name line ("#" and "name:"), passing over
// comment lines: lines whose first word starts with '#' and that are not
// "# name:". A first word without '#' is taken as it stands, like any key word.
bool ReadNameKeys(std::istream& in) {
  Word first, second;
  if (!ReadWord(in, first)) return false;
  for (;;) {
    const bool comment = first[0] == '#';
    if (comment && LineEnds(in)) {
      SkipLine(in);
    } else {
      if (!ReadWord(in, second)) return false;
      if (!comment || (std::strcmp(first, "#") == 0 && std::strcmp(second, "name:") == 0)) return true;
      SkipLine(in);
    }
    if (!ReadWord(in, first)) return false;
  }
}

// Two key words and a count ("# rows: 3").
bool ReadCount(std::istream& in, long long& count) {
  Word key;
  if (!ReadWord(in, key) || !ReadWord(in, key)) return false;
  in >> count;
  return !in.fail();
}

// Storage-less, but with the old name: adopting an object without storage
// drops our block and keeps the name.
void DropStorage(Matrix& m) { m.share(Matrix()); }

bool GiveBlock(std::istream& in, Matrix& m, int32_t rows, int32_t cols, const char* name) {
  if (m.resize(rows, cols)) {
    in.setstate(std::ios::failbit);
    return false;
  }
  m.setname(name);
  return true;
}

double ReadNumber(std::istream& in) {
  double x = 0.0;
  in >> x;
  return x;
}

// Reads the elements row by row. Once the stream has failed every further
// read would yield 0.0: the rest is stored as 0.0 directly, column by column
// as the storage runs, so that a short text declaring millions of elements
// costs one pass over memory, not millions of failing extractions.
void ReadElements(std::istream& in, Matrix& m) {
  const int32_t rows = m.rows();
  const int32_t cols = m.cols();
  if (m.size() == 0) return;
  int32_t i = 0, j = 0;  // the next element
  while (i < rows && !in.fail()) {
    m(i, j) = ReadNumber(in);
    if (++j == cols) j = 0, ++i;
  }
  if (i == rows) return;
  // Row i from column j on, and every row below it.
  for (int32_t c = 0; c < cols; ++c) {
    double* column = m.data() + static_cast<std::ptrdiff_t>(rows) * c;
    std::fill(column + (c < j ? i + 1 : i), column + rows, 0.0);
  }
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Matrix& m) {
  out << "# name: " << (m.getname() != nullptr ? m.getname() : "") << "\n";
  out << "# type: matrix\n";
  out << "# rows: " << m.rows() << "\n";
  out << "# columns: " << m.cols() << "\n";
  for (int32_t i = 0; i < m.rows(); ++i) {
    for (int32_t j = 0; j < m.cols(); ++j) out << " " << m(i, j);
    out << "\n";
  }
  return out;
}

std::istream& operator>>(std::istream& in, Matrix& m) {
  DropStorage(m);
  Word name, key, type;
  if (!ReadNameKeys(in) || !ReadWord(in, name)) return in;
  if (!ReadWord(in, key) || !ReadWord(in, key) || !ReadWord(in, type)) return in;

  if (std::strcmp(type, "matrix") == 0) {
    long long rows = 0;
    long long cols = 0;
    if (!ReadCount(in, rows) || !ReadCount(in, cols)) return in;
    if (in.eof()) return in;
    // Both counts are checked before multiplying, so the product cannot wrap.
    if (rows < 0 || cols < 0 || rows > kMaxElements || cols > kMaxElements || rows * cols > kMaxElements) {
      in.setstate(std::ios::failbit);
      return in;
    }
    if (GiveBlock(in, m, static_cast<int32_t>(rows), static_cast<int32_t>(cols), name)) ReadElements(in, m);
    return in;
  }
  if (std::strcmp(type, "scalar") == 0) {
    if (in.eof()) return in;
    if (GiveBlock(in, m, 1, 1, name)) m(0, 0) = ReadNumber(in);
    return in;
  }
  std::cerr << "Cannot handle that type of matrix.\n" << type << " 0 0 " << name << "\n";
  return in;
}

std::ostream& writetable(std::ostream& out, const Matrix& m) {
  std::cout << "\n";
  for (int32_t i = 0; i < m.rows(); ++i) {
    for (int32_t j = 0; j < m.cols(); ++j) out << m(i, j) << "\t";
    out << "\n";
  }
  return out;
}

std::ostream& writetitled(std::ostream& out, const Matrix& m) {
  out << "****** " << (m.getname() != nullptr ? m.getname() : "") << ":" << std::endl;
  const double* e = m.data();
  const std::ptrdiff_t n = m.size();
  for (std::ptrdiff_t k = 0; k < n; ++k) {
    if (k % 4 != 0) out << " ";
    out << e[k];
    if (k % 4 == 3 || k == n - 1) out << std::endl;
  }
  return out;
}

}  // namespace adaptive
