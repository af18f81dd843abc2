// The exponentially weighted RLS tokens: the general form driven by an error
// computed elsewhere, the one-channel form, and the two- and three-channel
// forms with one joint P over the stacked taps of all channels.
//
// The random-walk tokens are the same tokens with one more parameter (its
// range in the family's rows) and one more operation after each update
// of P; that difference is the `Walk` policy: NoRandomWalk here, RandomWalk in
// tokens/random_walk.h. A policy provides read<Entry>() (its parameters, from
// catalogue entry Entry) and apply(P, n).
#pragma once

#include <cstdint>

#include "core/adaptive_token.h"
#include "tokens/catalogue_families.h"
#include "numerics/arithmetic.h"
#include "numerics/delay_line.h"
#include "numerics/matrix.h"
#include "numerics/vector.h"
#include "tokens/channel_lines.h"
#include "tokens/correlation_update.h"
#include "tokens/final_weights.h"
#include "tokens/initial_taps.h"
#include "tokens/parameters.h"

namespace adaptive {

// Allocates and initialises the state of the one-channel RLS tokens: the
// delay line, P = (1/init)·I and the zeroed vectors of n elements. Everything
// is allocated before anything is written, so a length whose P cannot be
// obtained never fills a huge delay line first. False (and the storage failure
// reported) when an allocation fails.
inline bool AllocateRowFormState(int32_t n, double init, DelayLine& delayLine, Matrix& P, Vector& weights,
                                 Vector& gain, Vector& pTimesRegressor, Vector& taps, CallStatus& status) {
  if (!SquareMatricesFit(n, 1, status)) return false;
  if (delayLine.setlength(n) || P.resize(n, n) || weights.resize(n) || gain.resize(n) ||
      pTimesRegressor.resize(n) || taps.resize(n)) {
    ReportStorageFailure(status);
    return false;
  }
  delayLine.zero();
  SetScaledIdentity(P, 1.0 / init);
  weights.zero();
  gain.zero();
  pTimesRegressor.zero();
  taps.zero();
  return true;
}

struct NoRandomWalk {
  template <int Entry>
  void read(const TokenSetup&) {}
  void apply(double*, int32_t) const {}
};

// Ports: "Input", "Error" in; "Output" out.
template <class Walk, int Entry>
class GeneralRlsToken : public AdaptiveToken {
 public:
  static constexpr int kEntry = Entry;
  static constexpr int kLength = ParameterIndex(Entry, "Numerator Coeffs");
  static constexpr int kLambda = ParameterIndex(Entry, "Lambda");
  static constexpr int kInit = ParameterIndex(Entry, "Init");
  static constexpr int kFirstTap = ParameterIndex(Entry, "First Tap Value");
  static constexpr int kMiddleTap = ParameterIndex(Entry, "Middle Tap Value");
  static constexpr int kLastTap = ParameterIndex(Entry, "Last Tap Value");

  explicit GeneralRlsToken(TokenSetup& setup) : AdaptiveToken(2, 1) {
    CallStatus& status = setup.status;
    if (!status.ok()) return;
    length = ReadCount(setup, kLength);
    const double lambda = ReadParameter(setup, kLambda);
    const double init = ReadParameter(setup, kInit);
    walk.template read<Entry>(setup);
    const double firstTapValue = ReadParameter(setup, kFirstTap);
    const double middleTapValue = ReadParameter(setup, kMiddleTap);
    const double lastTapValue = ReadParameter(setup, kLastTap);
    if (!CheckParameters(setup, kCatalogue[Entry])) return;
    if (!AllocateRowFormState(length, init, delayLine, P, weights, gain, pTimesRegressor, taps, status)) return;
    SetInitialTaps(weights, length, firstTapValue, middleTapValue, lastTapValue, ZeroTapValue::Assign);
    lambdaInverse = 1.0 / lambda;
    if (!files.open(1, setup)) return;
    markConstructed();
  }

  void finish(CallStatus& status) override { files.writeAndClose(*this, status); }
  bool reportCoefficients(CoefficientSink& sink) const override {
    sink.addChannel(0, &weights(0), length, DenominatorSection::Transversal);
    return true;
  }

 protected:
  // The error belongs to the output of the previous step, so the update uses
  // the taps as they stood then; the new sample enters only afterwards.
  void step(const double* in, double* out) override {
    const double s = in[0];
    const double e = in[1];
    double* x = &taps(0);
    double* w = &weights(0);
    double* g = &gain(0);
    CopyTaps(delayLine, x);
    MultiplyByVector(&P(0, 0), length, x, &pTimesRegressor(0));
    UpdateGainAndWeights(x, &pTimesRegressor(0), length, lambdaInverse, e, g, w);
    RowFormUpdate(&P(0, 0), length, x, g, lambdaInverse);
    walk.apply(&P(0, 0), length);
    delayLine.push(s);
    out[0] = dot(delayLine, weights);
  }

 private:
  DelayLine delayLine;
  Matrix P;
  Vector weights;
  Vector gain;
  int32_t length = 0;
  double lambdaInverse = 0.0;
  Walk walk;
  FinalWeightsFiles files;
  Vector pTimesRegressor;
  Vector taps;  // working copy of the delay line, newest first
};

// Ports: "Input", "Desired" in; "Output", "PriError", "PostError" out.
template <class Walk, int Entry>
class RlsToken : public AdaptiveToken {
 public:
  static constexpr int kEntry = Entry;
  static constexpr int kLength = ParameterIndex(Entry, "Numerator Coeffs");
  static constexpr int kLambda = ParameterIndex(Entry, "Lambda");
  static constexpr int kInit = ParameterIndex(Entry, "Init");

  explicit RlsToken(TokenSetup& setup) : AdaptiveToken(2, 3) {
    CallStatus& status = setup.status;
    if (!status.ok()) return;
    length = ReadCount(setup, kLength);
    const double lambda = ReadParameter(setup, kLambda);
    const double init = ReadParameter(setup, kInit);
    walk.template read<Entry>(setup);
    if (!CheckParameters(setup, kCatalogue[Entry])) return;
    if (!AllocateRowFormState(length, init, delayLine, P, weights, gain, pTimesRegressor, taps, status)) return;
    lambdaInverse = 1.0 / lambda;
    if (!files.open(1, setup)) return;
    markConstructed();
  }

  void finish(CallStatus& status) override { files.writeAndClose(*this, status); }
  bool reportCoefficients(CoefficientSink& sink) const override {
    sink.addChannel(0, &weights(0), length, DenominatorSection::Transversal);
    return true;
  }

 protected:
  void step(const double* in, double* out) override {
    const double s = in[0];
    const double d = in[1];
    double* x = &taps(0);
    double* w = &weights(0);
    double* g = &gain(0);
    delayLine.push(s);
    CopyTaps(delayLine, x);
    const double prior = dot(delayLine, weights);
    out[1] = d - prior;
    MultiplyByVector(&P(0, 0), length, x, &pTimesRegressor(0));
    const double e = d - prior;
    const double posterior = UpdateGainAndWeights(x, &pTimesRegressor(0), length, lambdaInverse, e, g, w);
    RowFormUpdate(&P(0, 0), length, x, g, lambdaInverse);
    walk.apply(&P(0, 0), length);
    out[0] = posterior;
    out[2] = d - posterior;
  }

 private:
  DelayLine delayLine;
  Matrix P;
  Vector weights;
  Vector gain;
  int32_t length = 0;
  double lambdaInverse = 0.0;
  Walk walk;
  FinalWeightsFiles files;
  Vector pTimesRegressor;
  Vector taps;  // working copy of the delay line, newest first
};

// Ports: "Input 1" … "Input C", "Desired" in; "Output", "PriError",
// "PostError" out.
template <int C, class Walk, int Entry>
class MultiChannelRlsToken : public AdaptiveToken {
 public:
  static constexpr int kEntry = Entry;
  static constexpr std::array<int, C> kLength = NumeratorCountIndices<C>(Entry);
  static constexpr int kLambda = ParameterIndex(Entry, "Lambda");
  static constexpr int kInit = ParameterIndex(Entry, "Init");

  explicit MultiChannelRlsToken(TokenSetup& setup) : AdaptiveToken(C + 1, 3) {
    CallStatus& status = setup.status;
    if (!status.ok()) return;
    lines.readLengths(setup, kLength);
    const double lambda = ReadParameter(setup, kLambda);
    const double init = ReadParameter(setup, kInit);
    walk.template read<Entry>(setup);
    if (!CheckParameters(setup, kCatalogue[Entry])) return;
    if (!lines.sumLengthsForSquareMatrices(2, status) || !lines.allocate(status)) return;
    const int32_t n = lines.total();
    if (P.resize(n, n) || weights.resize(n) || gain.resize(n) || pTimesRegressor.resize(n) ||
        regressor.resize(n) || work.allocate(n)) {
      ReportStorageFailure(status);
      return;
    }
    lines.zero();
    SetScaledIdentity(P, 1.0 / init);
    weights.zero();
    gain.zero();
    pTimesRegressor.zero();
    regressor.zero();
    lambdaInverse = 1.0 / lambda;
    if (!files.open(C, setup)) return;
    markConstructed();
  }

  void finish(CallStatus& status) override { files.writeAndClose(*this, status); }
  bool reportCoefficients(CoefficientSink& sink) const override {
    sink.addChannelBlocks(&weights(0), lines.lengths(), C);
    return true;
  }

 protected:
  void step(const double* in, double* out) override {
    const int32_t n = lines.total();
    double* u = &regressor(0);
    double* w = &weights(0);
    double* g = &gain(0);
    lines.pushAndStack(in, u);
    const double d = in[C];
    const double prior = dot(regressor, weights);
    out[1] = d - prior;
    MultiplyByVector(&P(0, 0), n, u, &pTimesRegressor(0));
    const double e = d - prior;
    const double posterior = UpdateGainAndWeights(u, &pTimesRegressor(0), n, lambdaInverse, e, g, w);
    OuterProductUpdate(&P(0, 0), n, g, u, lambdaInverse, work, nullptr);
    walk.apply(&P(0, 0), n);
    out[0] = posterior;
    out[2] = d - posterior;
  }

 private:
  ChannelLines<C> lines;
  RowVector regressor;
  Matrix P;
  Vector weights;
  Vector gain;
  double lambdaInverse = 0.0;
  Walk walk;
  FinalWeightsFiles files;
  Vector pTimesRegressor;
  OuterProductWork work;
};

}  // namespace adaptive
