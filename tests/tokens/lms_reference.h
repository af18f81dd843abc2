// Plain models of the LMS-type equations (LMS, NLMS and the general-gradient
// step) with shift-register histories, newest sample first, and the helpers
// their tests share. The tokens' circular lines and fused loops must reproduce
// these bit for bit.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tests/reference/same_bits.h"
#include "api/token_session.h"
#include "tests/support/file_text.h"
#include "plugin/exports.h"

namespace adaptive {

namespace lms_reference {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
const double kDelta = 1e-8;

// One "%20.15E\n" line per value, each multiplied by `sign`.
inline std::string CoefficientLines(const std::vector<double>& w, double sign = 1.0) {
  std::string text;
  char line[64];
  for (double v : w) {
    std::snprintf(line, sizeof line, "%20.15E\n", sign * v);
    text += line;
  }
  return text;
}

inline std::string TransversalFile(const std::vector<double>& w) {
  return "Numerator Coefficients =" + std::to_string(w.size()) + "\n" + CoefficientLines(w) +
         "\nDenominator Coefficients =1\n1\n";
}

inline void Shift(std::vector<double>& line, double v) {
  line.insert(line.begin(), v);
  line.pop_back();
}

inline double Dot(const std::vector<double>& a, const std::vector<double>& b) {
  double sum = 0.0;
  for (size_t i = 0; i < a.size(); ++i) sum += a[i] * b[i];
  return sum;
}

// N × (mean square) + δ: the energy is formed as a mean multiplied back.
inline double Energy(const std::vector<double>& line) {
  const double n = static_cast<double>(line.size());
  return n * (Dot(line, line) / n) + kDelta;
}

// One filter part: its history, coefficients, step size and leakage.
struct Part {
  Part(double n, double mu, double leakage) : taps(static_cast<size_t>(n), 0.0), w(taps), mu(mu), leakage(leakage) {}
  // g = 2 μ e, or (2 μ e) / energy when normalised; then w = λ w + g tap.
  void update(double e, bool normalised) {
    const double g = normalised ? (2.0 * mu * e) / Energy(taps) : 2.0 * mu * e;
    for (size_t i = 0; i < w.size(); ++i) w[i] = leakage * w[i] + g * taps[i];
  }
  std::vector<double> taps, w;
  double mu, leakage;
};

// LMS / NLMS (recursive: p is L, μa, λa, M + 1, μb, λb) and LMS2/3, NLMS2/3
// (one transversal part per (count, μ, λ) triple). Step takes the token's
// inputs and returns Output, PriError, PostError. With M = 0 the feedback part
// has no taps; its sums are +0.0 and, as no sum that starts at +0.0 can end at
// −0.0, adding them changes no bit.
class LmsModel {
 public:
  LmsModel(const std::vector<double>& p, bool recursive, bool normalised)
      : recursive(recursive), normalised(normalised) {
    for (size_t c = 0; c + 2 < p.size(); c += 3) parts.emplace_back(p[c] - (recursive && c > 0), p[c + 1], p[c + 2]);
  }

  std::vector<double> step(const std::vector<double>& in) {
    const double d = in.back();
    for (size_t c = 0; c < parts.size(); ++c) Shift(parts[c].taps, recursive && c == 1 ? previous : in[c]);
    double y = Dot(parts[0].taps, parts[0].w);
    for (size_t c = 1; c < parts.size(); ++c) y = y + Dot(parts[c].taps, parts[c].w);
    const double e = d - y;
    previous = y;
    double yPost = 0.0, post = d;
    for (Part& part : parts) {
      part.update(e, normalised);
      const double s = Dot(part.taps, part.w);
      yPost = yPost + s;
      post = post - s;
    }
    return {y, e, recursive ? d - yPost : post};
  }

  // File c's text; the recursive form lists the feedback coefficients negated.
  std::string fileText(size_t c) const {
    if (!recursive) return TransversalFile(parts[c].w);
    return "Numerator Coefficients =" + std::to_string(parts[0].w.size()) + "\n" + CoefficientLines(parts[0].w) +
           "\nDenominator Coefficients =" + std::to_string(parts[1].w.size() + 1) + "\n1\n" +
           CoefficientLines(parts[1].w, -1.0);
  }

  size_t files() const { return recursive ? 1 : parts.size(); }

 private:
  bool recursive, normalised;
  std::vector<Part> parts;
  double previous = 0.0;
};

// The general-gradient step: update with the gradient history as it stands
// (ending at g(n−1)), gain normalised by the input line before the push for
// GenNLMS, then push and filter.
struct GeneralModel {
  GeneralModel(std::vector<double> initial, bool normalised)
      : x(initial.size(), 0.0), grad(initial.size(), 0.0), w(std::move(initial)), normalised(normalised) {}

  double step(double in, double g, double e, double mu, double leakage) {
    const double k = normalised ? ((2.0 * mu) / Energy(x)) * e : 2.0 * mu * e;
    for (size_t i = 0; i < w.size(); ++i) w[i] = leakage * w[i] + k * grad[i];
    Shift(x, in);
    Shift(grad, g);
    return Dot(x, w);
  }

  std::vector<double> x, grad, w;
  bool normalised;
};

// A random sample stream; with `nonFinite`, a NaN or −infinity now and then.
struct Samples {
  explicit Samples(unsigned seed, bool nonFinite = false) : rng(seed), nonFinite(nonFinite) {}
  double operator()() {
    ++count;
    if (nonFinite && count % 97 == 0) return count % 2 ? -kInf : kNaN;
    return n01(rng);
  }
  std::mt19937 rng;
  std::normal_distribution<double> n01;
  bool nonFinite;
  int count = 0;
};

inline void ExpectSameOutputs(const TokenSession& host, const std::vector<double>& want, int n) {
  for (size_t o = 0; o < want.size(); ++o)
    ASSERT_TRUE(SameBits(host.output(o).value, want[o]))
        << "sample " << n << " output " << o << ": " << host.output(o).value << " vs " << want[o];
}

}  // namespace lms_reference

}  // namespace adaptive
