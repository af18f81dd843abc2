// Calls into the plug-in with the stack as a host may leave it. The simulator
// calls the entry points of the 32-bit Windows plug-in with a stack aligned to
// 4 bytes only; the library must give the same results, bit for bit, whatever
// the alignment. For 32-bit x86 only (an assembly thunk sets the stack pointer).
#pragma once

#include <cstdint>
#include <vector>

#include "plugin/records.h"

namespace adaptive {

// entry(context, record) with the stack pointer at the call instruction
// `offset` bytes (0 … 31) below a 32-byte boundary: 0 is aligned for any
// vector, 4, 8 and 12 are what a 4-byte aligned host may give.
int32_t CallEntry(TokenEntryPoint entry, SimContext* context, TokenRecord* record, int32_t offset);

// Creates an instance with `parameters`, runs `samples` samples of fixed
// pseudo-random inputs (the same for every call) and destroys it, every call
// made with the stack offset; returns the status codes and the bits of every
// output value, in call order.
std::vector<uint64_t> OutputBitsWithStackOffset(TokenEntryPoint entry, int inputs, int outputs,
                                                const std::vector<double>& parameters, int samples, int32_t offset);

}  // namespace adaptive
