// Where a token reports the coefficients it holds: into its final-weights
// files when it finishes (tokens/final_weights.h), or to a reader between
// samples (adaptive::Filter::weights). Each token reports them from one
// routine, so that the files and the readers see the same numbers in the same
// layout.
#pragma once

#include <cstdint>

namespace adaptive {

// How a channel's denominator looks: the final-weights files write the first
// two forms as the denominator 1 (each with its own spacing), the recursive
// form as 1 followed by the feedback coefficients negated.
enum class DenominatorSection {
  General,      // "Denominator Coefficients =1\n1\n" right after the numerator
  Transversal,  // "\nDenominator Coefficients =1\n1\n"
  Recursive,    // "\nDenominator Coefficients =M+1\n1\n" and the negated feedback
};

class CoefficientSink {
 public:
  // Channel `channel`'s `count` numerator coefficients and its denominator;
  // `feedback` holds the recursive form's `feedbackCount` feedback
  // coefficients as the token applies them.
  virtual void addChannel(int channel, const double* numerator, int32_t count, DenominatorSection section,
                       const double* feedback = nullptr, int32_t feedbackCount = 0) = 0;
  // A channel of `count` coefficients that cannot be determined yet (the QR
  // tokens' triangle is singular).
  virtual void addUndetermined(int channel, int32_t count) = 0;

  // Consecutive blocks of one coefficient array, lengths[c] of them for
  // channel c, each with the transversal denominator.
  void addChannelBlocks(const double* coefficients, const int32_t* lengths, int channels) {
    int32_t start = 0;
    for (int c = 0; c < channels; ++c) {
      addChannel(c, coefficients + start, lengths[c], DenominatorSection::Transversal);
      start += lengths[c];
    }
  }

 protected:
  ~CoefficientSink() = default;
};

}  // namespace adaptive
