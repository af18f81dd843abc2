// The general and recursive Newton tokens, and the descriptor of the family.
#include "tokens/newton_tokens.h"

#include "tokens/initial_taps.h"

namespace adaptive {

GeneralNewtonToken::GeneralNewtonToken(TokenSetup& setup) : AdaptiveToken(2, 1) {
  CallStatus& status = setup.status;
  if (!status.ok()) return;
  length = ReadCount(setup, kLength);
  const double lambda = ReadParameter(setup, kLambda);
  mu = ReadParameter(setup, kMu);
  leakage = ReadParameter(setup, kLeakage);
  const double init = ReadParameter(setup, kInit);
  const double firstTapValue = ReadParameter(setup, kFirstTap);
  const double middleTapValue = ReadParameter(setup, kMiddleTap);
  const double lastTapValue = ReadParameter(setup, kLastTap);
  if (!CheckParameters(setup, kCatalogue[kEntry])) return;
  lambdaInverse = 1.0 / lambda;
  if (!SquareMatricesFit(length, 2, status)) return;
  // Everything is allocated before anything is written, so a length whose P
  // cannot be obtained never fills a huge delay line first.
  if (delayLine.setlength(length) || P.resize(length, length) || gain.resize(length) ||
      regressor.resize(length) || weights.resize(length) || work.allocate(length)) {
    ReportStorageFailure(status);
    return;
  }
  delayLine.zero();
  SetScaledIdentity(P, 1.0 / init);
  gain.zero();
  regressor.zero();
  weights.zero();
  SetInitialTaps(weights, length, firstTapValue, middleTapValue, lastTapValue, ZeroTapValue::KeepZero);
  if (!files.open(1, setup)) return;
  markConstructed();
}

bool GeneralNewtonToken::reportCoefficients(CoefficientSink& sink) const {
  sink.addChannel(0, &weights(0), length, DenominatorSection::General);
  return true;
}

// The error belongs to the output of the previous step, so the update uses the
// regressor that produced it; the new sample enters only afterwards.
void GeneralNewtonToken::step(const double* in, double* out) {
  const double s = in[0];
  const double e = in[1];
  double* u = &regressor(0);
  NewtonUpdate(P, gain, weights, u, length, mu, leakage, lambdaInverse, e, work);
  delayLine.push(s);
  CopyTaps(delayLine, u);
  out[0] = Dot(u, &weights(0), length);
}

RecursiveNewtonToken::RecursiveNewtonToken(TokenSetup& setup) : AdaptiveToken(2, 3) {
  CallStatus& status = setup.status;
  if (!status.ok()) return;
  length = ReadCount(setup, kLength);
  const int32_t denominatorCount = ReadCount(setup, kDenominatorCount);
  const double lambda = ReadParameter(setup, kLambda);
  mu = ReadParameter(setup, kMu);
  leakage = ReadParameter(setup, kLeakage);
  const double init = ReadParameter(setup, kInit);
  if (!CheckParameters(setup, kCatalogue[kEntry])) return;
  feedbackLength = denominatorCount - 1;
  lambdaInverse = 1.0 / lambda;
  const int32_t parts[2] = {length, feedbackLength};
  if (!TotalLength(parts, 2, totalLength, status) || !SquareMatricesFit(totalLength, 2, status)) return;
  const int32_t n = totalLength;
  if (delayLine.setlength(length) || feedbackLine.setlength(feedbackLength) || P.resize(n, n) ||
      gain.resize(n) || regressor.resize(n) || weights.resize(n) || work.allocate(n)) {
    ReportStorageFailure(status);
    return;
  }
  delayLine.zero();
  feedbackLine.zero();
  SetScaledIdentity(P, 1.0 / init);
  gain.zero();
  regressor.zero();
  weights.zero();
  previousOutput = 0.0;
  if (!files.open(1, setup)) return;
  markConstructed();
}

bool RecursiveNewtonToken::reportCoefficients(CoefficientSink& sink) const {
  sink.addChannel(0, &weights(0), length, DenominatorSection::Recursive,
               feedbackLength > 0 ? &weights(length) : nullptr, feedbackLength);
  return true;
}

void RecursiveNewtonToken::step(const double* in, double* out) {
  const double x = in[0];
  const double d = in[1];
  double* u = &regressor(0);
  delayLine.push(x);
  CopyTaps(delayLine, u);
  if (feedbackLength != 0) {
    feedbackLine.push(previousOutput);
    CopyTaps(feedbackLine, u + length);
  }
  const double y = Dot(u, &weights(0), totalLength);
  const double e = d - y;
  // The a-priori output is what the next step feeds back.
  previousOutput = y;
  out[0] = y;
  out[1] = e;
  NewtonUpdate(P, gain, weights, u, totalLength, mu, leakage, lambdaInverse, e, work);
  out[2] = d - Dot(u, &weights(0), totalLength);
}

using NewtonToken = RecursiveNewtonToken;
using Newton2Token = MultiChannelNewtonToken<2, CatalogueIndex("NEW2")>;
using Newton3Token = MultiChannelNewtonToken<3, CatalogueIndex("NEW3")>;

static_assert(ReadTheirRows<GeneralNewtonToken, NewtonToken, Newton2Token, Newton3Token>(kNewtonRows), "the factories and the rows disagree");
const TokenFactory kNewtonFactories[] = {&MakeToken<GeneralNewtonToken>, &MakeToken<NewtonToken>, &MakeToken<Newton2Token>, &MakeToken<Newton3Token>};
const FamilyDescriptor kNewtonFamily = {"Newton", kNewtonRows, 4, kNewtonFactories,
                                       {"P", 0, true, true}};

}  // namespace adaptive
