// The engine of the frequency-domain families: a filter of N coefficients in
// N/L partitions of L, filtered and adapted by overlap-save once per block of
// L samples with FFTs of 2L points (frequency_domain_descriptor.h gives the
// equations). Every sum starts at 0 and runs in ascending partition order;
// a complex product (a, b)·(c, d) is formed as (a·c − b·d, a·d + b·c).
#pragma once

#include <complex>
#include <cstdint>
#include <vector>

#include <unsupported/Eigen/FFT>

namespace adaptive {

// Which partitions' gradients are constrained (their time-domain second
// half zeroed) after each block.
enum class Constraint : int32_t {
  kNone = 0,
  kEvery = 1,   // every partition, every block: the exact block LMS update
  kInTurn = 2,  // partition k mod P at block k, on the coefficients' spectrum
};

struct PartitionedSettings {
  int32_t length;       // N, a multiple of blockLength
  int32_t blockLength;  // L
  double mu;
  double averaging;  // β
  double delta;      // δ
  Constraint constraint;
  bool normalised;
};

class PartitionedFilter {
 public:
  using Complex = std::complex<double>;

  // Allocates every array and makes the transforms' plans, everything zero.
  // False when storage cannot be had.
  bool allocate(const PartitionedSettings& settings);

  // Takes sample n and gives the output and error of sample n − L (0 before
  // the first block is complete); a block is processed when its last sample
  // arrives.
  void step(double x, double d, double& y, double& e);

  // The N time-domain coefficients, partition 0 first: in the forms that
  // keep only spectra, the first half of each partition's inverse transform.
  void coefficients(double* taps) const;

 private:
  void processBlock();
  void filterBlock();
  void adapt(const Complex* newestSpectrum);
  // Zeroes the second half of partition p's coefficients in the time domain.
  void constrain(int32_t p);

  PartitionedSettings s{};
  int32_t partitions = 0;
  int32_t bins = 0;       // L + 1
  int32_t newest = 0;     // slot of the newest input spectrum
  int32_t inBlock = 0;    // samples of the current block taken
  int32_t inTurn = 0;     // the partition that the next block constrains (kInTurn)
  std::vector<double> frame;      // 2L inputs: the previous block, then this one
  std::vector<double> desired;    // this block's L desired samples
  std::vector<double> outputs;    // the previous block's L outputs
  std::vector<double> errors;     // and errors
  std::vector<Complex> spectra;   // the last P input spectra, P·(L + 1) bins, slot by slot
  std::vector<Complex> weights;   // W_p, P·(L + 1) bins
  std::vector<double> taps;       // w_p in the time domain (kEvery), N
  std::vector<double> power;      // P(f), L + 1
  std::vector<Complex> bin;       // spectra of scratch, L + 1 bins each: the output's, the error's
  std::vector<Complex> gradient;  // and one partition's gradient
  mutable std::vector<double> time;  // 2L samples of scratch
  mutable Eigen::FFT<double> fft;
};

}  // namespace adaptive
