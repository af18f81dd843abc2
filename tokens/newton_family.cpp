// The general and recursive Newton tokens, and the entry points of the family.
#include "tokens/newton_tokens.h"

#include "tokens/initial_taps.h"

GeneralNewtonToken::GeneralNewtonToken() : AdaptiveToken(2, 1, kPropagateTiming, kPropagateFormat) {
  if (TokenStatus != kStatusOk) return;
  length = ReadCount(kLength);
  lambdaInverse = ReadParameter(kLambda);
  mu = ReadParameter(kMu);
  leakage = ReadParameter(kLeakage);
  const double init = ReadParameter(kInit);
  firstTapValue = ReadParameter(kFirstTap);
  middleTapValue = ReadParameter(kMiddleTap);
  lastTapValue = ReadParameter(kLastTap);
  if (!CheckLengths({length}) || !CheckStepSizes({mu}) || !CheckLeakageFactors({leakage}) ||
      !CheckForgettingFactor(lambdaInverse, false) || !CheckInitialisationFactor(init, true))
    return;
  lambdaInverse = 1.0 / lambdaInverse;
  if (!SquareMatricesFit(length, 2)) return;
  // Everything is allocated before anything is written, so a length whose P
  // cannot be obtained never fills a huge delay line first.
  if (delayLine.setlength(length) || P.resize(length, length) || gain.resize(length) ||
      regressor.resize(length) || weights.resize(length) || work.allocate(length)) {
    ReportStorageFailure();
    return;
  }
  delayLine.zero();
  SetScaledIdentity(P, 1.0 / init);
  gain.zero();
  regressor.zero();
  weights.zero();
  SetInitialTaps(weights, length, firstTapValue, middleTapValue, lastTapValue, ZeroTapValue::KeepZero);
  if (!files.Open(1)) return;
  markConstructed();
}

GeneralNewtonToken::~GeneralNewtonToken() {
  if (files.IsOpen(0)) files.WriteCoefficients(0, &weights(0), length, DenominatorSection::General);
  files.Close();
}

// The error belongs to the output of the previous step, so the update uses the
// regressor that produced it; the new sample enters only afterwards.
void GeneralNewtonToken::Step() {
  const double s = CurrentTokenRecord->inputs[0]->value;
  const double e = CurrentTokenRecord->inputs[1]->value;
  double* u = &regressor(0);
  NewtonUpdate(P, gain, weights, u, length, mu, leakage, lambdaInverse, e, work);
  delayLine.push(s);
  CopyTaps(delayLine, u);
  CurrentTokenRecord->outputs[0].value = Dot(u, &weights(0), length);
}

RecursiveNewtonToken::RecursiveNewtonToken() : AdaptiveToken(2, 3, kPropagateTiming, kPropagateFormat) {
  if (TokenStatus != kStatusOk) return;
  length = ReadCount(kLength);
  const int32_t denominatorCount = ReadCount(kDenominatorCount);
  lambdaInverse = ReadParameter(kLambda);
  mu = ReadParameter(kMu);
  leakage = ReadParameter(kLeakage);
  const double init = ReadParameter(kInit);
  if (!CheckLengths({length, denominatorCount}) || !CheckStepSizes({mu}) || !CheckLeakageFactors({leakage}) ||
      !CheckForgettingFactor(lambdaInverse, false) || !CheckInitialisationFactor(init, true))
    return;
  feedbackLength = denominatorCount - 1;
  lambdaInverse = 1.0 / lambdaInverse;
  const int32_t parts[2] = {length, feedbackLength};
  if (!TotalLength(parts, 2, totalLength) || !SquareMatricesFit(totalLength, 2)) return;
  const int32_t n = totalLength;
  if (delayLine.setlength(length) || feedbackLine.setlength(feedbackLength) || P.resize(n, n) ||
      gain.resize(n) || regressor.resize(n) || weights.resize(n) || work.allocate(n)) {
    ReportStorageFailure();
    return;
  }
  delayLine.zero();
  feedbackLine.zero();
  SetScaledIdentity(P, 1.0 / init);
  gain.zero();
  regressor.zero();
  weights.zero();
  previousOutput = 0.0;
  if (!files.Open(1)) return;
  markConstructed();
}

RecursiveNewtonToken::~RecursiveNewtonToken() {
  if (files.IsOpen(0))
    files.WriteCoefficients(0, &weights(0), length, DenominatorSection::Recursive,
                            feedbackLength > 0 ? &weights(length) : nullptr, feedbackLength);
  files.Close();
}

void RecursiveNewtonToken::Step() {
  const double x = CurrentTokenRecord->inputs[0]->value;
  const double d = CurrentTokenRecord->inputs[1]->value;
  OutputPortRecord* out = CurrentTokenRecord->outputs;
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
  out[0].value = y;
  out[1].value = e;
  NewtonUpdate(P, gain, weights, u, totalLength, mu, leakage, lambdaInverse, e, work);
  out[2].value = d - Dot(u, &weights(0), totalLength);
}

using NewtonToken = RecursiveNewtonToken;
using Newton2Token = MultiChannelNewtonToken<2, CatalogueIndex("NEW2")>;
using Newton3Token = MultiChannelNewtonToken<3, CatalogueIndex("NEW3")>;

ADAPTIVE_TOKEN_ENTRY(GenNEW, GeneralNewtonToken)
ADAPTIVE_TOKEN_ENTRY(NEW, NewtonToken)
ADAPTIVE_TOKEN_ENTRY(NEW2, Newton2Token)
ADAPTIVE_TOKEN_ENTRY(NEW3, Newton3Token)
