// A self-describing text form of a named matrix, readable and writable by
// other tools that know the "# name:" / "# type:" header lines, and two plain
// listings for people. Numbers follow the stream's own floating-point
// settings (six significant digits by default): raise its precision to 17
// for a loss-free round trip.
#pragma once

#include <cstdint>
#include <iosfwd>

#include "numerics/matrix.h"

namespace adaptive {

// "# name: NAME\n# type: matrix\n# rows: R\n# columns: C\n", then each row as
// " x00 x01 ...\n". An unnamed matrix writes an empty name.
std::ostream& operator<<(std::ostream& out, const Matrix& m);

// Reads the saved form above or the scalar form ("# name: s\n# type: scalar\n"
// and one number, giving a 1 x 1 matrix). Lines before the name line whose
// first word starts with '#' (the "# Created by ..." line other tools put
// there) are skipped. The matrix loses its storage first; it gets the name
// read only together with a new block.
// Left failed, with the matrix without storage: a word longer than
// kMaxWordLength characters, a header cut short, a count that is negative,
// unreadable or makes more than kMaxElements elements (nothing is allocated
// then), or a block that cannot be allocated. Left at end of file, without
// storage: input that ends right after the header. An unknown type word writes
// "Cannot handle that type of matrix.\n" and the line "TYPE 0 0 NAME" to
// stderr and leaves the stream's state alone. A number that cannot be read
// fails the stream, yet every element is still stored (as 0.0, or as what
// the stream yields for an out-of-range number).
std::istream& operator>>(std::istream& in, Matrix& m);

// The longest word (key word, name or type) the reader accepts.
constexpr int kMaxWordLength = 79;
// The most elements the reader will allocate: 2^24 (128 MiB of doubles; a
// 4096 x 4096 matrix). A text of a few dozen bytes may declare that many, and
// elements it lacks read as 0.0, so this is what reading a stranger's file may
// cost: in the simulator's 32-bit process a block of this size must still be
// found in one piece and leaves room for the rest; a matrix any filter here
// keeps is far smaller, and a text holding this many numbers is already some
// 150 MB long.
constexpr int64_t kMaxElements = int64_t{1} << 24;

// Writes "\n" to std::cout (always there), then each row of m to `out` as its
// elements each followed by a tab, and a newline after each row.
std::ostream& writetable(std::ostream& out, const Matrix& m);

// "****** NAME:" and std::endl, then the elements in storage order (column by
// column), blank-separated, four to a line, each line ended with std::endl.
std::ostream& writetitled(std::ostream& out, const Matrix& m);

}  // namespace adaptive
