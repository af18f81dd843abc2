// Plain models of the block families, written from their equations and not
// from the fast code: block LMS in the time domain, and the frequency-domain
// update with every transform a direct O(n^2) DFT over the full spectrum of
// 2L points, the constraint applied to the spectra (inverse, zero the second
// half, forward) rather than to time-domain coefficients.
#pragma once

#include <cmath>
#include <complex>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/adaptive_token.h"
#include "core/token_factory.h"

namespace adaptive {

namespace block_models {

// y(n) = wᵀ(k)·x(n), e(n) = d(n) − y(n) within block k; w(k+1) = w(k) + 2μ·Σ e(n)·x(n).
class BlockLmsModel {
 public:
  BlockLmsModel(int n, int blockLength, double mu) : w(n, 0.0), line(n, 0.0), sum(n, 0.0), L(blockLength), mu(mu) {}

  void step(double x, double d, double& y, double& e) {
    line.insert(line.begin(), x);
    line.pop_back();
    y = 0.0;
    for (size_t i = 0; i < w.size(); ++i) y += w[i] * line[i];
    e = d - y;
    for (size_t i = 0; i < w.size(); ++i) sum[i] += e * line[i];
    if (++taken < L) return;
    taken = 0;
    for (size_t i = 0; i < w.size(); ++i) {
      w[i] += 2.0 * mu * sum[i];
      sum[i] = 0.0;
    }
  }
  const std::vector<double>& weights() const { return w; }

 private:
  std::vector<double> w, line, sum;
  int L;
  int taken = 0;
  double mu;
};

struct SpectralSettings {
  int length, blockLength;
  double mu, averaging, delta;
  int constraint;  // 0 none, 1 every partition, 2 partition k mod P at block k
  bool normalised;
};

// The frequency-domain equations over N/L partitions, outputs L samples late.
class SpectralModel {
 public:
  using C = std::complex<double>;

  explicit SpectralModel(const SpectralSettings& s)
      : s(s), L(s.blockLength), M(2 * s.blockLength), P(s.length / s.blockLength),
        W(P, std::vector<C>(M)), X(P, std::vector<C>(M)), power(M, 0.0), frame(M, 0.0), d(L), y(L, 0.0), e(L, 0.0) {}

  void step(double x, double desired, double& yOut, double& eOut) {
    yOut = y[taken];
    eOut = e[taken];
    frame[L + taken] = x;
    d[taken] = desired;
    if (++taken < L) return;
    taken = 0;
    block();
  }

  // The time-domain coefficients: the first L of each partition's inverse.
  std::vector<double> weights() const {
    std::vector<double> w;
    for (int p = 0; p < P; ++p) {
      const std::vector<C> t = Dft(W[p], +1);
      for (int i = 0; i < L; ++i) w.push_back(t[i].real());
    }
    return w;
  }

 private:
  // sign −1: forward; +1: inverse, divided by M.
  std::vector<C> Dft(const std::vector<C>& v, int sign) const {
    std::vector<C> out(M);
    const double pi = std::acos(-1.0);
    for (int f = 0; f < M; ++f) {
      C acc = 0.0;
      for (int t = 0; t < M; ++t) acc += v[t] * std::polar(1.0, sign * 2.0 * pi * double((long long)f * t % M) / M);
      out[f] = sign > 0 ? acc / double(M) : acc;
    }
    return out;
  }
  std::vector<C> Real(const std::vector<double>& v) const { return std::vector<C>(v.begin(), v.end()); }

  void block() {
    for (int p = P - 1; p > 0; --p) X[p] = X[p - 1];
    X[0] = Dft(Real(frame), -1);
    std::vector<C> Y(M);
    for (int p = 0; p < P; ++p)
      for (int f = 0; f < M; ++f) Y[f] += X[p][f] * W[p][f];
    const std::vector<C> yt = Dft(Y, +1);
    std::vector<double> padded(M, 0.0);
    for (int j = 0; j < L; ++j) {
      y[j] = yt[L + j].real();
      e[j] = d[j] - y[j];
      padded[L + j] = e[j];
    }
    const std::vector<C> E = Dft(Real(padded), -1);
    std::vector<double> stepSize(M);
    for (int f = 0; f < M; ++f) {
      power[f] = s.averaging * power[f] + (1.0 - s.averaging) * std::norm(X[0][f]);
      stepSize[f] = s.normalised ? 2.0 * s.mu / (power[f] + s.delta) : 2.0 * s.mu;
    }
    for (int p = 0; p < P; ++p) {
      std::vector<C> G(M);
      for (int f = 0; f < M; ++f) G[f] = stepSize[f] * std::conj(X[p][f]) * E[f];
      if (s.constraint == 1) {
        std::vector<C> g = Dft(G, +1);
        for (int i = L; i < M; ++i) g[i] = 0.0;
        for (int i = 0; i < L; ++i) g[i] = g[i].real();
        G = Dft(g, -1);
      }
      for (int f = 0; f < M; ++f) W[p][f] += G[f];
    }
    if (s.constraint == 2) {
      const int q = int(blocks % P);
      std::vector<C> w = Dft(W[q], +1);
      for (int i = 0; i < M; ++i) w[i] = i < L ? C(w[i].real()) : C(0.0);
      W[q] = Dft(w, -1);
    }
    ++blocks;
    for (int j = 0; j < L; ++j) frame[j] = frame[L + j];
  }

  SpectralSettings s;
  int L, M, P;
  std::vector<std::vector<C>> W, X;
  std::vector<double> power, frame, d, y, e;
  int taken = 0;
  long long blocks = 0;
};

// A token made by its factory from `parameters`, with its status and message.
struct MadeToken {
  std::unique_ptr<AdaptiveToken> token;
  int32_t status;
  std::string message;
};

template <class Token>
MadeToken Make(std::vector<double> parameters, std::string fileName = "") {
  char text[kErrorTextCapacity + 1] = {};
  CallStatus status(text);
  std::vector<char> name(fileName.begin(), fileName.end());
  name.push_back('\0');
  TokenSetup setup{parameters.data(), name.data(), status};
  MadeToken made{std::unique_ptr<AdaptiveToken>(MakeToken<Token>(setup)), status.code(), text};
  if (!status.ok()) {
    CallStatus ending(nullptr);
    made.token->finish(ending);
  }
  return made;
}

// Unit-variance white noise and, through a decaying random response of
// `taps`, the desired signal with a little noise.
struct Identification {
  std::vector<double> x, d, plant;
  Identification(size_t samples, int taps, unsigned seed) : x(samples), d(samples), plant(taps) {
    std::mt19937 gen(seed);
    std::normal_distribution<double> g;
    for (int i = 0; i < taps; ++i) plant[i] = g(gen) * std::exp(-3.0 * i / taps);
    for (double& v : x) v = g(gen);
    for (size_t n = 0; n < samples; ++n) {
      double acc = 1e-3 * g(gen);
      for (int i = 0; i < taps && i <= int(n); ++i) acc += plant[i] * x[n - i];
      d[n] = acc;
    }
  }
};

}  // namespace block_models

}  // namespace adaptive
