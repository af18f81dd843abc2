// What each token computes, in words and in maths: the text that
// `adaptsim describe`, adaptive_filters.describe() in Python and the reference manual
// show, kept here once beside the catalogue. The catalogue gives the names,
// ports and defaults; these notes give their meaning.
//
// The maths is written so that it reads in a terminal and renders as TeX:
// Greek letters as themselves, `_` and `^` for indices and powers, `^T` for a
// transpose, one equation a line.
#pragma once

#include <string_view>

namespace adaptive {

// A parameter or output port: its name as the catalogue spells it, without a
// channel number ("Mu" stands for "Mu 1" to "Mu 3"), and what it means.
struct NameNote {
  const char* name;
  const char* meaning;
};

struct TokenNotes {
  const char* tokens;     // the tokens these notes describe, blank-separated
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
// the interfaces state it from tokens/parameter_ranges.h, the table the
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
inline constexpr const char* kNewtonInit =
    "Initialisation factor: P starts as I/Init (Init is the δ of the usual P(0) = I/δ), so a small Init trusts the initial coefficients "
    "little and adapts fast from the first samples; a negative Init starts P negative.";
inline constexpr const char* kRandomWalk =
    "Random-walk variance q: the variance per sample of the drift the coefficients are assumed to "
    "follow, added to the diagonal of P after each update so that the gain never dies out. Match "
    "it to the drift of the system (relative to the error power); 0 is plain RLS.";
inline constexpr const char* kRandomWalkGeneral =
    "Random-walk variance q, as for RW1 (the drift per sample assumed for each coefficient).";
inline constexpr const char* kNewtonMu =
    "Step size μ of the Newton correction μ·e·P·x (the gain is the step size itself, not 2μ). "
    "μ = 1 (with leakage 1) is the RLS update; between 0 and 2 the a-posteriori error is smaller "
    "than the a-priori one.";

inline constexpr const char* kOutputPrior = "y(n), the output with the coefficients before this sample's update (a-priori).";
inline constexpr const char* kOutputPosterior =
    "y⁺(n), the output with the coefficients after this sample's update (a-posteriori): "
    "Output = Desired − PostError.";
inline constexpr const char* kOutputGeneral =
    "The filter's output with the coefficients just updated, over the input line including this sample.";
inline constexpr const char* kPriError = "e(n) = d(n) − y(n), the a-priori error (coefficients before the update).";
inline constexpr const char* kPostError = "e⁺(n) = d(n) − y⁺(n), the a-posteriori error (coefficients after the update).";

// A measured edge is written "TOKEN: "PARAMETER" X in every channel converges, Y
// diverges", measured on the catalogue defaults otherwise, every input white
// Gaussian noise of power 1 and the desired signal a random plant of the
// filter's lengths: the manual's build reruns each one (docs/check.py).
inline constexpr const char* kLmsStability =
    "With the 2μ gain the bound is about Σ_c μ_c·N_c·P_c < 1, where P_c is the power of input c: "
    "the step sizes of the channels add up (measured on the defaults, 10 taps per channel, white "
    "inputs of power 1: LMS2: \"Mu\" 0.04 in every channel converges, 0.05 diverges; LMS3: \"Mu\" "
    "0.03 in every channel converges, 0.04 diverges). Stay well below it (a tenth for a small "
    "misadjustment); beyond it the coefficients grow without bound.";
inline constexpr const char* kNlmsStability =
    "Each channel is normalised by its own energy, so the step sizes add across channels: the "
    "a-posteriori error is about (1 − 2·Σ_c μ_c)·e, which needs Σ_c μ_c < 1, and fastest near "
    "Σ_c μ_c = 0.5. The edge lies lower with several channels (measured on the defaults, white "
    "inputs of power 1: NLMS2: \"Mu\" 0.45 in every channel converges, 0.49 diverges; NLMS3: "
    "\"Mu\" 0.3 in every channel converges, 0.33 diverges). The defaults (0.5 per channel) "
    "diverge in NLMS2 and NLMS3: give each of C channels 0.5/C or less.";
inline constexpr const char* kRlsStability =
    "Stable over the accepted ranges (0 < λ ≤ 1, Init > 0). The excess error is about N·(1 − λ)/2 of the minimum; a λ "
    "near 1 gives a small excess and slow tracking, a smaller λ tracks faster. With λ = 1 the "
    "gain decays like 1/n and the filter stops tracking.";

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
inline constexpr const char* kRlsUpdate =
    "e(n) = d(n) − w^T(n)·x(n)\n"
    "k(n) = P(n−1)·x(n) / (λ + x^T(n)·P(n−1)·x(n))\n"
    "w(n+1) = w(n) + k(n)·e(n)\n"
    "P(n) = (P(n−1) − k(n)·x^T(n)·P(n−1)) / λ,   P(0) = I/Init\n"
    "y⁺(n) = w^T(n+1)·x(n)";
inline constexpr const char* kRandomWalkUpdate =
    "e(n) = d(n) − w^T(n)·x(n)\n"
    "k(n) = P(n−1)·x(n) / (λ + x^T(n)·P(n−1)·x(n))\n"
    "w(n+1) = w(n) + k(n)·e(n)\n"
    "P(n) = (P(n−1) − k(n)·x^T(n)·P(n−1)) / λ + q·I,   P(0) = I/Init\n"
    "y⁺(n) = w^T(n+1)·x(n)";
inline constexpr const char* kRandomWalkStability =
    "Stable over the accepted ranges (0 < λ ≤ 1, Init > 0). A larger q tracks faster and leaves more noise in the "
    "coefficients; λ = 1 with a small q is the usual choice for a drifting system.";

inline constexpr const char* kGenLmsStability =
    "The gradient comes from the diagram, so the bound depends on it; for a plain FIR "
    "identification (\"- de/dw\" = the input) it is the LMS bound μ·N·P_x < 1.";

}  // namespace notes

inline constexpr TokenNotes kTokenNotes[] = {
    {"LMS",
     "Feintuch's recursive LMS: a transversal part on the input and a recursive part on the "
     "filter's own past outputs, each adapted by LMS with its own step size and leakage.",
     "y(n) = a^T(n)·x(n) + b^T(n)·v(n),   e(n) = d(n) − y(n)\n"
     "a(n+1) = ℓ_a·a(n) + 2μ_a·e(n)·x(n)\n"
     "b(n+1) = ℓ_b·b(n) + 2μ_b·e(n)·v(n)",
     notes::kRecursiveSymbols,
     {{"Numerator Coeffs", notes::kLength},
      {"Mu Forward", notes::kLmsMu},
      {"Leakage Forward", notes::kLeakage},
      {"Denominator Coeffs", notes::kDenominator},
      {"Mu Backward", "Step size μ_b of the recursive part, with the same 2μ gain as \"Mu Forward\"."},
      {"Leakage Backward", "Leakage ℓ_b of the recursive part, as \"Leakage Forward\" is of the transversal one."}},
     {{"Output", notes::kOutputPrior}, {"PriError", notes::kPriError}, {"PostError", notes::kPostError}},
     "The transversal part follows the LMS bound μ_a·L·P_x < 1 (P_x the input power). The "
     "recursive part can make the filter itself unstable: keep μ_b small (or Denominator Coeffs 1).",
     "O(N)"},
    {"LMS2 LMS3",
     "LMS over two or three input channels: one transversal filter per channel, their outputs "
     "summed and adapted with the one common error.",
     "y(n) = Σ_c w_c^T(n)·x_c(n),   e(n) = d(n) − y(n)\n"
     "w_c(n+1) = ℓ_c·w_c(n) + 2μ_c·e(n)·x_c(n)",
     "x_c(n) = [x_c(n), …, x_c(n−N_c+1)] the input line of channel c, N_c its length.",
     {{"Numerator Coeffs", notes::kLength}, {"Mu", notes::kLmsMu}, {"Leakage", notes::kLeakage}},
     {{"Output", notes::kOutputPrior}, {"PriError", notes::kPriError}, {"PostError", notes::kPostError}},
     notes::kLmsStability,
     "O(N)"},
    {"NLMS",
     "Normalised LMS, with the recursive part of LMS: each part's correction is divided by the "
     "energy of its own line (plus δ = 1e-8), so the step size does not depend on the input's "
     "scale.",
     "y(n) = a^T(n)·x(n) + b^T(n)·v(n),   e(n) = d(n) − y(n)\n"
     "a(n+1) = ℓ_a·a(n) + 2μ_a·e(n)·x(n) / (‖x(n)‖^2 + δ)\n"
     "b(n+1) = ℓ_b·b(n) + 2μ_b·e(n)·v(n) / (‖v(n)‖^2 + δ)",
     notes::kRecursiveSymbols,
     {{"Numerator Coeffs", notes::kLength},
      {"Mu Forward", notes::kNlmsMu},
      {"Leakage Forward", notes::kLeakage},
      {"Denominator Coeffs", notes::kDenominator},
      {"Mu Backward", "Step size μ_b of the recursive part, normalised by the energy of the past outputs."},
      {"Leakage Backward", "Leakage ℓ_b of the recursive part, as \"Leakage Forward\" is of the transversal one."}},
     {{"Output", notes::kOutputPrior}, {"PriError", notes::kPriError}, {"PostError", notes::kPostError}},
     "With Denominator Coeffs 1 the a-posteriori error is (1 − 2μ_a)·e: it converges for "
     "0 < μ_a < 1, in one step at the default 0.5 (PostError about 0). The recursive part "
     "can make the filter itself unstable: keep μ_b small.",
     "O(N)"},
    {"NLMS2 NLMS3",
     "Normalised LMS over two or three input channels: one transversal filter per channel, each "
     "normalised by the energy of its own input line, adapted with the one common error.",
     "y(n) = Σ_c w_c^T(n)·x_c(n),   e(n) = d(n) − y(n)\n"
     "w_c(n+1) = ℓ_c·w_c(n) + 2μ_c·e(n)·x_c(n) / (‖x_c(n)‖^2 + δ)",
     "x_c(n) = [x_c(n), …, x_c(n−N_c+1)] the input line of channel c, N_c its length, δ = 1e-8.",
     {{"Numerator Coeffs", notes::kLength}, {"Mu", notes::kNlmsMu}, {"Leakage", notes::kLeakage}},
     {{"Output", notes::kOutputPrior}, {"PriError", notes::kPriError}, {"PostError", notes::kPostError}},
     notes::kNlmsStability,
     "O(N)"},
    {"GenLMS_A",
     "General LMS whose error and gradient come from the diagram, with the step size and leakage "
     "on input ports so that they may change from sample to sample (no range check on them).",
     "w(n+1) = ℓ(n)·w(n) + 2μ(n)·e(n)·g(n−1)\n"
     "y(n) = w^T(n+1)·x(n)",
     "g(n−1) = [g(n−1), …, g(n−N)] the past samples of the \"- de/dw\" input, x(n) the input line, "
     "μ(n) and ℓ(n) the values on the \"Mu\" and \"Leakage\" inputs.",
     {{"Numerator Coeffs", notes::kLength},
      {"First Tap Value", notes::kFirstTap},
      {"Middle Tap Value", notes::kMiddleTap},
      {"Last Tap Value", notes::kLastTap}},
     {{"Output", notes::kOutputGeneral}},
     notes::kGenLmsStability,
     "O(N)"},
    {"GenLMS_B",
     "General LMS whose error and gradient come from the diagram.",
     "w(n+1) = ℓ·w(n) + 2μ·e(n)·g(n−1)\n"
     "y(n) = w^T(n+1)·x(n)",
     "g(n−1) = [g(n−1), …, g(n−N)] the past samples of the \"- de/dw\" input, x(n) the input line.",
     {{"Numerator Coeffs", notes::kLength},
      {"Mu", notes::kLmsMu},
      {"Leakage Factor", notes::kLeakage},
      {"First Tap Value", notes::kFirstTap},
      {"Middle Tap Value", notes::kMiddleTap},
      {"Last Tap Value", notes::kLastTap}},
     {{"Output", notes::kOutputGeneral}},
     notes::kGenLmsStability,
     "O(N)"},
    {"GenNLMS",
     "General normalised LMS whose error and gradient come from the diagram; the correction is "
     "divided by the energy of the input line (not of the gradient line) as it stood before this "
     "sample.",
     "w(n+1) = ℓ·w(n) + 2μ·e(n)·g(n−1) / (‖x(n−1)‖^2 + δ)\n"
     "y(n) = w^T(n+1)·x(n)",
     "g(n−1) = [g(n−1), …, g(n−N)] the past samples of the \"- de/dw\" input, "
     "x(n−1) = [x(n−1), …, x(n−N)], δ = 1e-8.",
     {{"Numerator Coeffs", notes::kLength},
      {"Mu", notes::kNlmsMu},
      {"Leakage Factor", notes::kLeakage},
      {"First Tap Value", notes::kFirstTap},
      {"Middle Tap Value", notes::kMiddleTap},
      {"Last Tap Value", notes::kLastTap}},
     {{"Output", notes::kOutputGeneral}},
     "For a plain FIR identification (\"- de/dw\" = the input) it is NLMS: 0 < μ < 1.",
     "O(N)"},
    {"GenNEW",
     "General Newton method whose error comes from the diagram: the correction is μ·e times the "
     "RLS gain, with the old coefficients scaled by the leakage.",
     "k(n) = P(n−1)·x(n−1) / (λ + x^T(n−1)·P(n−1)·x(n−1))\n"
     "P(n) = (P(n−1) − k(n)·x^T(n−1)·P(n−1)) / λ,   P(0) = I/Init\n"
     "w(n+1) = ℓ·w(n) + μ·e(n)·k(n),   y(n) = w^T(n+1)·x(n)",
     notes::kGeneralSymbols,
     {{"Numerator Coeffs", notes::kLength},
      {"Lambda", notes::kLambda},
      {"Mu", notes::kNewtonMu},
      {"Leakage", notes::kLeakage},
      {"Init", notes::kNewtonInit},
      {"First Tap Value", notes::kFirstTap},
      {"Middle Tap Value", notes::kMiddleTap},
      {"Last Tap Value", notes::kLastTap}},
     {{"Output", notes::kOutputGeneral}},
     "0 < μ < 2 and 0 < λ ≤ 1; μ = 1 with leakage 1 is the RLS update.",
     "O(N^3)"},
    {"NEW NEW2 NEW3",
     "Newton method: the correction is μ·e times the RLS gain of the regressor u(n), the old "
     "coefficients scaled by the leakage. NEW has the recursive part of LMS (its own past outputs "
     "in u); NEW2 and NEW3 stack two or three input channels with one joint P.",
     "y(n) = w^T(n)·u(n),   e(n) = d(n) − y(n)\n"
     "k(n) = P(n−1)·u(n) / (λ + u^T(n)·P(n−1)·u(n))\n"
     "P(n) = (P(n−1) − k(n)·u^T(n)·P(n−1)) / λ,   P(0) = I/Init\n"
     "w(n+1) = ℓ·w(n) + μ·e(n)·k(n)",
     "u(n) the regressor: for NEW [x(n), …, x(n−L+1), y(n−1), …, y(n−M)] with L = \"Numerator "
     "Coeffs\" and M = \"Denominator Coeffs\" − 1; for NEW2 and NEW3 the channels' taps stacked, "
     "channel 1 first. N is its length.",
     {{"Numerator Coeffs", notes::kLength},
      {"Denominator Coeffs", notes::kDenominator},
      {"Lambda", notes::kLambda},
      {"Mu", notes::kNewtonMu},
      {"Leakage", notes::kLeakage},
      {"Init", notes::kNewtonInit}},
     {{"Output", notes::kOutputPrior}, {"PriError", notes::kPriError}, {"PostError", notes::kPostError}},
     "The a-posteriori error is (1 − μ·u^T·k)·e with 0 ≤ u^T·k < 1, so every μ from 0 to 2 reduces "
     "the error of the sample; μ = 1 with leakage 1 is the RLS update (the same a-priori errors as "
     "RLS up to rounding). One P covers the whole regressor, so no step sizes add up across "
     "channels; the recursive part of NEW can make the filter itself unstable.",
     "O(N^3)"},
    {"QR1 QR2 QR3",
     "Exponentially weighted least squares by QR decomposition: the triangular factor R of the "
     "weighted data and the rotated desired signal z take in each sample through a sweep of Givens "
     "rotations; the coefficients are solved from them only when they are read or the filter is "
     "closed.",
     "[R(n); 0] = Q(n)·[λ·R(n−1); u^T(n)],   [z(n); α(n)] = Q(n)·[λ·z(n−1); d(n)]\n"
     "γ(n) = Π_i cos θ_i(n),   e(n) = α(n)/γ(n),   e⁺(n) = α(n)·γ(n)\n"
     "w = R^{-1}·z   (at close)",
     "u(n) the channels' taps stacked, channel 1 first; Q(n) the product of the rotations θ_i(n). "
     "\"Lambda\" scales the square-root factor R, so the squared errors are weighted by λ^2: the "
     "effective forgetting factor is λ^2 (Lambda = √0.999 matches RLS1 at 0.999 to about 1e-6 "
     "once the start-up has faded).",
     {{"Numerator Coeffs", notes::kLength},
      {"Lambda",
       "Forgetting factor applied to the square-root factor R: the effective forgetting factor of "
       "the squared errors is λ^2, a memory of about 1/(1 − λ^2) samples. 0 restarts from nothing "
       "at every sample."}},
     {{"Output", "d(n) − e⁺(n), the a-posteriori output."},
      {"PriError",
       "e(n) = α(n)/γ(n), the a-priori error; while |γ| ≤ 1e-8 (the first N samples, as R fills) "
       "it is the desired sample."},
      {"PostError", "e⁺(n) = α(n)·γ(n), the a-posteriori error."},
      {"Gamma",
       "γ(n), the product of the rotation cosines, from 0 to 1: PostError = γ^2·PriError. It stays "
       "0 until R is full."}},
     "Stable for any λ from 0 to 1: nothing is inverted while it runs. The final-weights files "
     "hold \"Matrix close to singular...\" when a diagonal element of R is below 1e-8 (closed "
     "before N samples, or a channel that never saw a non-zero sample).",
     "O(N^2)"},
    {"GenRLS",
     "General exponentially weighted RLS whose error comes from the diagram.",
     "k(n) = P(n−1)·x(n−1) / (λ + x^T(n−1)·P(n−1)·x(n−1))\n"
     "P(n) = (P(n−1) − k(n)·x^T(n−1)·P(n−1)) / λ,   P(0) = I/Init\n"
     "w(n+1) = w(n) + k(n)·e(n),   y(n) = w^T(n+1)·x(n)",
     notes::kGeneralSymbols,
     {{"Numerator Coeffs", notes::kLength},
      {"Lambda", notes::kLambda},
      {"Init", notes::kInit},
      {"First Tap Value", notes::kFirstTap},
      {"Middle Tap Value", notes::kMiddleTap},
      {"Last Tap Value", notes::kLastTap}},
     {{"Output", notes::kOutputGeneral}},
     notes::kRlsStability,
     "O(N^2)"},
    {"RLS1 RLS2 RLS3",
     "Exponentially weighted recursive least squares over one, two or three input channels, the "
     "channels' taps stacked into one regressor with one joint P.",
     notes::kRlsUpdate,
     notes::kStackedSymbols,
     {{"Numerator Coeffs", notes::kLength}, {"Lambda", notes::kLambda}, {"Init", notes::kInit}},
     {{"Output", notes::kOutputPosterior}, {"PriError", notes::kPriError}, {"PostError", notes::kPostError}},
     notes::kRlsStability,
     "O(N^2) for RLS1; O(N^3) for RLS2 and RLS3, whose P update forms an N×N by N×N product"},
    {"GenRW",
     "General RLS under a random-walk model of the coefficients, whose error comes from the "
     "diagram: P is kept from shrinking by the assumed drift q, so the filter keeps tracking.",
     "k(n) = P(n−1)·x(n−1) / (λ + x^T(n−1)·P(n−1)·x(n−1))\n"
     "P(n) = (P(n−1) − k(n)·x^T(n−1)·P(n−1)) / λ + q·I,   P(0) = I/Init\n"
     "w(n+1) = w(n) + k(n)·e(n),   y(n) = w^T(n+1)·x(n)",
     notes::kGeneralSymbols,
     {{"Numerator Coeffs", notes::kLength},
      {"Lambda", notes::kLambda},
      {"Init", notes::kInit},
      {"Random Walk Variance", notes::kRandomWalkGeneral},
      {"First Tap Value", notes::kFirstTap},
      {"Middle Tap Value", notes::kMiddleTap},
      {"Last Tap Value", notes::kLastTap}},
     {{"Output", notes::kOutputGeneral}},
     notes::kRandomWalkStability,
     "O(N^2)"},
    {"RW1 RW2 RW3",
     "RLS under a random-walk model of the coefficients, over one, two or three input channels: P "
     "is kept from shrinking by the assumed drift q, so the filter keeps tracking.",
     notes::kRandomWalkUpdate,
     notes::kStackedSymbols,
     {{"Numerator Coeffs", notes::kLength},
      {"Lambda", notes::kLambda},
      {"Init", notes::kInit},
      {"Random Walk Variance", notes::kRandomWalk}},
     {{"Output", notes::kOutputPosterior}, {"PriError", notes::kPriError}, {"PostError", notes::kPostError}},
     notes::kRandomWalkStability,
     "O(N^2) for RW1; O(N^3) for RW2 and RW3, whose P update forms an N×N by N×N product"},
};

// The notes whose token list holds `token`, or null.
inline const TokenNotes* FindTokenNotes(std::string_view token) {
  for (const TokenNotes& notes : kTokenNotes) {
    for (std::string_view list = notes.tokens; !list.empty();) {
      const size_t blank = list.find(' ');
      if (list.substr(0, blank) == token) return &notes;
      list = blank == std::string_view::npos ? std::string_view() : list.substr(blank + 1);
    }
  }
  return nullptr;
}

}  // namespace adaptive
