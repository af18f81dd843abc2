// The families' equations written out plainly, straight from their maths,
// sharing nothing with the tokens: every input vector rebuilt from the
// history, the matrix X^T·X formed in full and the affine projection's system
// solved by Gaussian elimination with partial pivoting. The tests compare the
// tokens with these within a relative tolerance.
#pragma once

#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

namespace adaptive::plain {

// One sample's outputs: "Output", "PriError", "PostError".
struct Outputs {
  double y, prior, posterior;
};

// x(n−k), 0 before the start.
inline double Past(const std::vector<double>& signal, long n, long k) { return n - k >= 0 ? signal[n - k] : 0.0; }

inline double Dot(const std::vector<double>& a, const std::vector<double>& b) {
  double s = 0.0;
  for (size_t i = 0; i < a.size(); ++i) s += a[i] * b[i];
  return s;
}

// The input vector x(n − j) = [x(n−j), …, x(n−j−N+1)].
inline std::vector<double> InputVector(const std::vector<double>& x, long n, long j, size_t length) {
  std::vector<double> v(length);
  for (size_t m = 0; m < length; ++m) v[m] = Past(x, n, j + static_cast<long>(m));
  return v;
}

// Solves A·a = b (A square, row-major) by Gaussian elimination with partial
// pivoting.
inline std::vector<double> Solve(std::vector<std::vector<double>> a, std::vector<double> b) {
  const size_t k = b.size();
  for (size_t c = 0; c < k; ++c) {
    size_t best = c;
    for (size_t r = c + 1; r < k; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[best][c])) best = r;
    std::swap(a[c], a[best]);
    std::swap(b[c], b[best]);
    for (size_t r = c + 1; r < k; ++r) {
      const double f = a[r][c] / a[c][c];
      for (size_t q = c; q < k; ++q) a[r][q] -= f * a[c][q];
      b[r] -= f * b[c];
    }
  }
  std::vector<double> s(k);
  for (size_t i = k; i-- > 0;) {
    double t = b[i];
    for (size_t q = i + 1; q < k; ++q) t -= a[i][q] * s[q];
    s[i] = t / a[i][i];
  }
  return s;
}

// e = d − X^T·w, w += 2μ·X·(δI + X^T·X)^{-1}·e.
inline std::vector<Outputs> AffineProjection(const std::vector<double>& x, const std::vector<double>& d,
                                             size_t length, size_t order, double mu, double delta,
                                             std::vector<double>* finalWeights = nullptr) {
  std::vector<double> w(length, 0.0);
  std::vector<Outputs> out;
  for (long n = 0; n < static_cast<long>(x.size()); ++n) {
    std::vector<std::vector<double>> columns;
    for (size_t j = 0; j < order; ++j) columns.push_back(InputVector(x, n, static_cast<long>(j), length));
    std::vector<std::vector<double>> a(order, std::vector<double>(order));
    std::vector<double> e(order);
    for (size_t i = 0; i < order; ++i) {
      e[i] = Past(d, n, static_cast<long>(i)) - Dot(columns[i], w);
      for (size_t j = 0; j < order; ++j) a[i][j] = Dot(columns[i], columns[j]) + (i == j ? delta : 0.0);
    }
    const double y = Dot(columns[0], w);
    const std::vector<double> g = Solve(a, e);
    for (size_t m = 0; m < length; ++m)
      for (size_t j = 0; j < order; ++j) w[m] += 2 * mu * columns[j][m] * g[j];
    out.push_back({y, d[n] - y, d[n] - Dot(columns[0], w)});
  }
  if (finalWeights) *finalWeights = w;
  return out;
}

// A transversal filter: y = w^T·x, e = d − y, then update(w, x, e) changes w;
// the a-posteriori error with the changed w.
template <class Update>
std::vector<Outputs> Transversal(const std::vector<double>& x, const std::vector<double>& d, size_t length,
                                 Update update) {
  std::vector<double> w(length, 0.0);
  std::vector<Outputs> out;
  for (long n = 0; n < static_cast<long>(x.size()); ++n) {
    const std::vector<double> u = InputVector(x, n, 0, length);
    const double y = Dot(u, w);
    const double e = d[n] - y;
    update(w, u, e);
    out.push_back({y, e, d[n] - Dot(u, w)});
  }
  return out;
}

// k_l = (1 − α)/(2N) + (1 + α)·|w_l|/(2‖w‖_1 + ε), w += 2μ·e·(k ⊙ x)/(x^T·(k ⊙ x) + δ).
inline std::vector<Outputs> Proportionate(const std::vector<double>& x, const std::vector<double>& d, size_t length,
                                          double mu, double alpha, double delta, double epsilon) {
  return Transversal(x, d, length, [&](std::vector<double>& w, const std::vector<double>& u, double e) {
    double norm = 0.0;
    for (double c : w) norm += std::fabs(c);
    std::vector<double> ku(length);
    for (size_t l = 0; l < length; ++l) {
      const double k = (1 - alpha) / (2.0 * length) + (1 + alpha) * std::fabs(w[l]) / (2 * norm + epsilon);
      ku[l] = k * u[l];
    }
    const double denominator = Dot(u, ku) + delta;
    for (size_t l = 0; l < length; ++l) w[l] += 2 * mu * e * ku[l] / denominator;
  });
}

inline double Sgn(double v) { return v > 0 ? 1.0 : v < 0 ? -1.0 : v == 0 ? 0.0 : v; }

// w = ℓ·w + 2μ·s(e)·s(x), s the sign or the value itself.
inline std::vector<Outputs> SignLms(const std::vector<double>& x, const std::vector<double>& d, size_t length,
                                    double mu, double leakage, bool signOfError, bool signOfData) {
  return Transversal(x, d, length, [&](std::vector<double>& w, const std::vector<double>& u, double e) {
    for (size_t l = 0; l < length; ++l)
      w[l] = leakage * w[l] + 2 * mu * (signOfError ? Sgn(e) : e) * (signOfData ? Sgn(u[l]) : u[l]);
  });
}

}  // namespace adaptive::plain

namespace adaptive::plain {

// The affine projection once more in the token's stated order of operations
// (affine_projection.h), plainly: X^T·X summed in full for every element
// (not slid), one column and one coefficient at a time, the same Cholesky
// and the same fallback to the leading columns. The token must give the same
// bits.
inline std::vector<Outputs> AffineProjectionInStatedOrder(const std::vector<double>& x, const std::vector<double>& d,
                                                          size_t length, size_t order, double mu, double delta) {
  std::vector<double> w(length, 0.0);
  std::vector<Outputs> out;
  for (long n = 0; n < static_cast<long>(x.size()); ++n) {
    std::vector<std::vector<double>> col(order), l(order, std::vector<double>(order, 0.0)), r = l;
    std::vector<double> e(order), a(order);
    for (size_t j = 0; j < order; ++j) col[j] = InputVector(x, n, static_cast<long>(j), length);
    for (size_t i = 0; i < order; ++i) {
      for (size_t j = i; j < order; ++j) {
        double s = 0.0;
        for (size_t m = 0; m < length; ++m) s = s + col[i][m] * col[j][m];
        r[i][j] = r[j][i] = s;
      }
      double s = 0.0;
      for (size_t m = 0; m < length; ++m) s = s + col[i][m] * w[m];
      e[i] = Past(d, n, static_cast<long>(i)) - s;
    }
    double output = 0.0;
    for (size_t m = 0; m < length; ++m) output = output + col[0][m] * w[m];
    size_t columns = order;
    for (size_t c = 0; c < order && columns == order; ++c) {
      double s = 0.0;
      for (size_t p = 0; p < c; ++p) s = s + l[c][p] * l[c][p];
      const double pivot = (r[c][c] + delta) - s;
      if (pivot < 0.5 * delta) {
        columns = c;
        break;
      }
      l[c][c] = std::sqrt(pivot);
      for (size_t i = c + 1; i < order; ++i) {
        double t = 0.0;
        for (size_t p = 0; p < c; ++p) t = t + l[i][p] * l[c][p];
        l[i][c] = (r[i][c] - t) / l[c][c];
      }
    }
    std::vector<double> z = e;
    for (size_t i = 0; i < columns; ++i) {
      double s = 0.0;
      for (size_t p = 0; p < i; ++p) s = s + l[i][p] * z[p];
      z[i] = (z[i] - s) / l[i][i];
    }
    for (size_t i = columns; i-- > 0;) {
      double s = 0.0;
      for (size_t p = i + 1; p < columns; ++p) s = s + l[p][i] * a[p];
      a[i] = (z[i] - s) / l[i][i];
    }
    for (size_t i = 0; i < columns; ++i) a[i] = (2.0 * mu) * a[i];
    double posterior = 0.0;
    for (size_t m = 0; m < length; ++m) {
      double s = 0.0;
      for (size_t j = 0; j < columns; ++j) s = s + col[j][m] * a[j];
      w[m] = w[m] + s;
      posterior = posterior + col[0][m] * w[m];
    }
    out.push_back({output, e[0], d[n] - posterior});
  }
  return out;
}

}  // namespace adaptive::plain
