#include "adaptive/closest_name.h"

#include <algorithm>
#include <cctype>

namespace adaptive {

namespace {

// Lower case, blanks dropped.
std::string Folded(const std::string& name) {
  std::string folded;
  for (const char c : name) {
    if (c != ' ') folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return folded;
}

// Edits from a to b: insertions, deletions, substitutions and swaps of
// neighbours (the optimal string alignment distance).
size_t Edits(const std::string& a, const std::string& b) {
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    for (size_t j = 1; j <= b.size(); ++j) {
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[a.size()][b.size()];
}

}  // namespace

std::string ClosestName(const std::vector<std::string>& names, const std::string& typed) {
  const std::string folded = Folded(typed);
  const size_t limit = std::min<size_t>(2, folded.size() / 3);
  size_t best = limit + 1;
  std::string closest;
  bool tied = false;
  for (const std::string& name : names) {
    const std::string candidate = Folded(name);
    // Lengths that differ by more than the limit need more edits than it:
    // skipped unmeasured, so that a long typed text costs nothing.
    if (std::max(folded.size(), candidate.size()) - std::min(folded.size(), candidate.size()) > limit) continue;
    const size_t edits = Edits(folded, candidate);
    if (edits < best) {
      best = edits;
      closest = name;
      tied = false;
    } else if (edits == best) {
      tied = true;
    }
  }
  return tied ? "" : closest;
}

std::string DidYouMean(const std::vector<std::string>& names, const std::string& typed) {
  const std::string closest = ClosestName(names, typed);
  return closest.empty() ? "" : " (did you mean \"" + closest + "\"?)";
}

}  // namespace adaptive
