// What the vectorised kernels of the matrix tokens share: vectors of W
// doubles, unaligned loads and stores, and the choice between 128-bit and
// 256-bit kernels. Every lane performs exactly the scalar operations of its
// element (a separate multiplication and addition, never fused), so the lane
// width changes the speed only, never a bit of the results.
#pragma once

namespace adaptive {

template <int W>
struct Lanes {
  typedef double Type __attribute__((vector_size(W * sizeof(double))));
};

// Unaligned loads and stores (by reference: a wide vector passed by value
// would depend on the calling convention of the instruction set).
template <class V>
inline __attribute__((always_inline)) void Load(V& v, const double* from) {
  typedef double U __attribute__((vector_size(sizeof(V)), aligned(sizeof(double)), may_alias));
  v = *reinterpret_cast<const U*>(from);
}

template <class V>
inline __attribute__((always_inline)) void Store(double* to, const V& v) {
  typedef double U __attribute__((vector_size(sizeof(V)), aligned(sizeof(double)), may_alias));
  *reinterpret_cast<U*>(to) = v;
}

// Vector registers the compiler may use: sixteen on the 64-bit instruction
// sets, eight on 32-bit x86 (the Windows plug-in and the 32-bit Linux build).
// The kernels' tiles are shaped to fit them. ADAPTIVE_EIGHT_VECTOR_REGISTERS
// gives a 64-bit build the 32-bit shapes; the benchmarks compile the plug-in
// that way, with the upper eight registers reserved, to time them natively.
#if defined(__i386__) || defined(ADAPTIVE_EIGHT_VECTOR_REGISTERS)
constexpr int kVectorRegisters = 8;
#else
constexpr int kVectorRegisters = 16;
#endif

// x86 processors with AVX2 run the kernels compiled a second time with
// 256-bit vectors (target attribute ADAPTIVE_WIDE), chosen once at load time.
// Only AVX2 is enabled, not FMA: a fused multiply-add would round once where
// the equations round twice. The host calls the Windows plug-in with a stack
// aligned to 4 bytes only: the 32-bit builds realign it on entry
// (ADAPTIVE_CALL), and the wide kernels realign it again to 32 bytes wherever
// they need a vector slot.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define ADAPTIVE_WIDE_KERNELS 1
#define ADAPTIVE_WIDE __attribute__((target("avx2")))
// True while the 256-bit kernels are chosen (set by SelectWideKernels). Read
// inline: the dispatchers run once per sample, and on 32-bit x86 a call
// around the read costs more than the read.
extern bool wideKernelsChosen;
inline bool WideKernelsSelected() { return wideKernelsChosen; }
#else
inline bool WideKernelsSelected() { return false; }
#endif

// Chooses the 256-bit kernels (where the processor has them) or the 128-bit
// ones, and returns the previous choice; the tests compare both with the
// expression forms.
bool SelectWideKernels(bool wide);

}  // namespace adaptive
