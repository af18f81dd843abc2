#include "families/frequency_domain/partitioned_filter.h"

#include <algorithm>
#include <new>

namespace adaptive {

namespace {

using Complex = PartitionedFilter::Complex;

// (a + ib)·(c + id), formed as (a·c − b·d) + i(a·d + b·c).
inline Complex Product(Complex u, Complex v) {
  return {u.real() * v.real() - u.imag() * v.imag(), u.real() * v.imag() + u.imag() * v.real()};
}

// conj(u)·v = (a − ib)·(c + id), formed as (a·c + b·d) + i(a·d − b·c).
inline Complex ConjugateProduct(Complex u, Complex v) {
  return {u.real() * v.real() + u.imag() * v.imag(), u.real() * v.imag() - u.imag() * v.real()};
}

}  // namespace

bool PartitionedFilter::allocate(const PartitionedSettings& settings) {
  s = settings;
  partitions = s.length / s.blockLength;
  bins = s.blockLength + 1;
  newest = 0;
  inBlock = 0;
  inTurn = 0;
  const size_t block = static_cast<size_t>(s.blockLength);
  const size_t spectrum = block + 1;
  // Eigen's transforms count points in an int.
  if (block > (INT32_MAX - 1) / 2) return false;
  try {
    frame.assign(2 * block, 0.0);
    desired.assign(block, 0.0);
    outputs.assign(block, 0.0);
    errors.assign(block, 0.0);
    spectra.assign(spectrum * static_cast<size_t>(partitions), Complex());
    weights.assign(spectrum * static_cast<size_t>(partitions), Complex());
    taps.assign(s.constraint == Constraint::kEvery ? static_cast<size_t>(s.length) : 0, 0.0);
    power.assign(spectrum, 0.0);
    bin.assign(spectrum, Complex());
    gradient.assign(spectrum, Complex());
    time.assign(2 * block, 0.0);
    fft.SetFlag(Eigen::FFT<double>::HalfSpectrum);
    // The plans and the transforms' own scratch, made now so that no later
    // call allocates.
    fft.fwd(bin.data(), time.data(), static_cast<Eigen::Index>(2 * block));
    fft.inv(time.data(), bin.data(), static_cast<Eigen::Index>(2 * block));
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return true;
}

void PartitionedFilter::step(double x, double d, double& y, double& e) {
  y = outputs[inBlock];
  e = errors[inBlock];
  frame[s.blockLength + inBlock] = x;
  desired[inBlock] = d;
  if (++inBlock < s.blockLength) return;
  inBlock = 0;
  processBlock();
}

void PartitionedFilter::processBlock() {
  const int32_t L = s.blockLength;
  // The spectrum of delay p sits in slot (newest + p) mod P: the newest takes
  // the slot of the oldest.
  newest = (newest == 0 ? partitions : newest) - 1;
  Complex* x = &spectra[static_cast<size_t>(newest) * bins];
  fft.fwd(x, frame.data(), 2 * L);
  filterBlock();
  adapt(x);
  std::copy(frame.begin() + L, frame.end(), frame.begin());
}

void PartitionedFilter::filterBlock() {
  const int32_t L = s.blockLength;
  std::fill(bin.begin(), bin.end(), Complex());
  for (int32_t p = 0; p < partitions; ++p) {
    const Complex* xp = &spectra[static_cast<size_t>((newest + p) % partitions) * bins];
    const Complex* wp = &weights[static_cast<size_t>(p) * bins];
    for (int32_t f = 0; f < bins; ++f) bin[f] = bin[f] + Product(xp[f], wp[f]);
  }
  fft.inv(time.data(), bin.data(), 2 * L);
  for (int32_t j = 0; j < L; ++j) {
    outputs[j] = time[L + j];
    errors[j] = desired[j] - outputs[j];
  }
}

void PartitionedFilter::adapt(const Complex* x) {
  const int32_t L = s.blockLength;
  const double twoMu = 2.0 * s.mu;
  for (int32_t f = 0; f < bins; ++f) {
    const double magnitude = x[f].real() * x[f].real() + x[f].imag() * x[f].imag();
    power[f] = s.averaging * power[f] + (1.0 - s.averaging) * magnitude;
  }
  std::fill(time.begin(), time.begin() + L, 0.0);
  std::copy(errors.begin(), errors.end(), time.begin() + L);
  fft.fwd(bin.data(), time.data(), 2 * L);
  for (int32_t f = 0; f < bins; ++f) {
    const double stepSize = s.normalised ? twoMu / (power[f] + s.delta) : twoMu;
    bin[f] = {stepSize * bin[f].real(), stepSize * bin[f].imag()};
  }
  for (int32_t p = 0; p < partitions; ++p) {
    const Complex* xp = &spectra[static_cast<size_t>((newest + p) % partitions) * bins];
    Complex* wp = &weights[static_cast<size_t>(p) * bins];
    if (s.constraint != Constraint::kEvery) {
      for (int32_t f = 0; f < bins; ++f) wp[f] = wp[f] + ConjugateProduct(xp[f], bin[f]);
      continue;
    }
    for (int32_t f = 0; f < bins; ++f) gradient[f] = ConjugateProduct(xp[f], bin[f]);
    fft.inv(time.data(), gradient.data(), 2 * L);
    double* tp = &taps[static_cast<size_t>(p) * L];
    for (int32_t i = 0; i < L; ++i) {
      tp[i] = tp[i] + time[i];
      time[i] = tp[i];
    }
    std::fill(time.begin() + L, time.end(), 0.0);
    fft.fwd(wp, time.data(), 2 * L);
  }
  if (s.constraint == Constraint::kInTurn) {
    constrain(inTurn);
    if (++inTurn == partitions) inTurn = 0;
  }
}

void PartitionedFilter::constrain(int32_t p) {
  const int32_t L = s.blockLength;
  Complex* wp = &weights[static_cast<size_t>(p) * bins];
  fft.inv(time.data(), wp, 2 * L);
  std::fill(time.begin() + L, time.end(), 0.0);
  fft.fwd(wp, time.data(), 2 * L);
}

void PartitionedFilter::coefficients(double* out) const {
  const int32_t L = s.blockLength;
  if (s.constraint == Constraint::kEvery) {
    std::copy(taps.begin(), taps.end(), out);
    return;
  }
  for (int32_t p = 0; p < partitions; ++p) {
    fft.inv(time.data(), &weights[static_cast<size_t>(p) * bins], 2 * L);
    std::copy(time.begin(), time.begin() + L, out + static_cast<size_t>(p) * L);
  }
}

}  // namespace adaptive
