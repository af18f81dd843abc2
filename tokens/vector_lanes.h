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

// x86 processors run the kernels compiled twice more, with 256-bit vectors
// where they have AVX2 (target attribute ADAPTIVE_WIDE) and with 512-bit ones
// where they have AVX-512 (ADAPTIVE_WIDEST), the widest chosen once at load
// time. Fused multiply-add is never used (-ffp-contract=off): it would round
// once where the equations round twice. The host calls the Windows plug-in
// with a stack aligned to 4 bytes only: the 32-bit builds realign it on entry
// (ADAPTIVE_CALL), and the wide kernels realign it again to 32 or 64 bytes
// wherever they need a vector slot. The environment variable
// ADAPTIVE_VECTOR_BITS=256 (or 128) caps the width, for timing the narrower
// kernels or where 512-bit instructions lower the processor's clock; the
// results are the same bits at every width.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define ADAPTIVE_WIDE_KERNELS 1
#define ADAPTIVE_WIDE __attribute__((target("avx2")))
#define ADAPTIVE_WIDEST __attribute__((target("avx2,avx512f")))
#endif

// Doubles per vector of the chosen kernels: 2, 4 (AVX2) or 8 (AVX-512), set
// by SelectKernelLanes. Read inline: the dispatchers run once per sample, and
// on 32-bit x86 a call around the read costs more than the read.
extern int kernelLanes;
inline int KernelLanes() { return kernelLanes; }

// Chooses the widest kernels the processor has of at most `lanes` doubles
// (2, 4 or 8) and returns the previous choice; the tests compare every width
// with the expression forms.
int SelectKernelLanes(int lanes);

}  // namespace adaptive
