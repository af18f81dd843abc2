// What a token computes, in words and in maths: the text that `adaptsim
// describe`, adaptive_filters.describe() in Python and the reference manual
// show. Each family's descriptor holds its tokens' notes beside their rows;
// here are their type and the texts that several families share.
//
// The maths is written so that it reads in a terminal and renders as TeX:
// Greek letters as themselves, `_` and `^` for indices and powers, `^T` for a
// transpose, one equation a line.
#pragma once

namespace adaptive {

// A parameter or output port: its name as the catalogue spells it, without a
// channel number ("Mu" stands for "Mu 1" to "Mu 3"), and what it means.
struct NameNote {
  const char* name;
  const char* meaning;
};

struct TokenNotes {
  const char* summary;
  const char* update;     // one equation a line
  const char* symbols;    // what the update's symbols stand for
  NameNote parameters[8];
  NameNote outputs[4];
  const char* stability;  // how to choose the parameters so that it converges
  const char* cost;       // operations per sample in the total length N: "O(N)", "O(N^2)"...
};

namespace notes {

// A parameter's accepted range is not written here: the manual, `describe` and
// the interfaces state it from the range in the token's row, the one the
// library's checks read, after the meaning given here.
inline constexpr const char* kLength = "Number of coefficients of the filter (of the channel).";
inline constexpr const char* kLmsMu =
    "Step size μ; the coefficients move by 2μ·e·x (the gain is twice the step size).";
inline constexpr const char* kNlmsMu =
    "Step size μ of the normalised update 2μ·e·x/(‖x‖^2 + δ), δ = 1e-8. The step sizes of all channels "
    "add up: keep their sum below 1 (well below with several channels); fastest near 0.5.";
inline constexpr const char* kLeakage =
    "Leakage ℓ: the old coefficients are multiplied by it before each correction. 1 keeps them "
    "(no leakage); below 1 pulls them toward 0, which bounds them at the price of a bias.";
inline constexpr const char* kDenominator =
    "Number of denominator coefficients including the leading 1: the filter feeds back its own "
    "last (this − 1) outputs; 1 makes it transversal (FIR).";
inline constexpr const char* kFirstTap = "Initial value of coefficient 0.";
inline constexpr const char* kMiddleTap =
    "Initial value of coefficient (N − 1)/2 (integer division), used when N > 2.";
inline constexpr const char* kLastTap = "Initial value of coefficient N − 1, used when N > 1.";
inline constexpr const char* kLambda =
    "Forgetting factor λ: past samples count with weight λ^k, a memory of about 1/(1 − λ) "
    "samples.";
inline constexpr const char* kInit =
    "Initialisation factor: P starts as I/Init (Init is the δ of the usual P(0) = I/δ), so a small Init trusts the initial coefficients "
    "little and adapts fast from the first samples.";

inline constexpr const char* kOutputPrior = "y(n), the output with the coefficients before this sample's update (a-priori).";
inline constexpr const char* kOutputPosterior =
    "y⁺(n), the output with the coefficients after this sample's update (a-posteriori): "
    "Output = Desired − PostError.";
inline constexpr const char* kOutputGeneral =
    "The filter's output with the coefficients just updated, over the input line including this sample.";
inline constexpr const char* kPriError = "e(n) = d(n) − y(n), the a-priori error (coefficients before the update).";
inline constexpr const char* kPostError = "e⁺(n) = d(n) − y⁺(n), the a-posteriori error (coefficients after the update).";

// Where every token's conventions are set side by side with the textbooks' and
// other toolboxes', as `describe` ends its notes.
inline constexpr const char* kConventions =
    "Conventions (2μ or μ, λ or λ^2, Init, a-priori or a-posteriori Output) against the textbooks' "
    "and other toolboxes': the reference manual's page \"Conventions\" (docs/conventions.rst).";

// The final-weights files, as the notes of every token state them.
inline constexpr const char* kWeightsOneFile =
    "Written when the filter is closed (an empty name writes none): \"Numerator Coefficients =N\", "
    "the N coefficients one a line, then the denominator section.";
inline constexpr const char* kWeightsPerChannel =
    "Written when the filter is closed (an empty name writes none): one file per channel, the "
    "channel number put before the name's first dot (\"w.txt\" gives w1.txt, w2.txt...), each "
    "with its channel's coefficients.";

// Texts that several tokens share.
inline constexpr const char* kRecursiveSymbols =
    "x(n) = [x(n), …, x(n−L+1)] the input line, v(n) = [y(n−1), …, y(n−M)] the past outputs, "
    "L = \"Numerator Coeffs\", M = \"Denominator Coeffs\" − 1.";
inline constexpr const char* kGeneralSymbols =
    "x(n−1) = [x(n−1), …, x(n−N)] the input line before this sample, e(n) the \"Error\" input.";
inline constexpr const char* kStackedSymbols =
    "x(n) the channels' taps stacked, channel 1 first (one channel: [x(n), …, x(n−N+1)]); "
    "N = Σ_c N_c.";

}  // namespace notes

}  // namespace adaptive
