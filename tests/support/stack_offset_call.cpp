#include "tests/support/stack_offset_call.h"

#include <cstring>

#include "api/token_session.h"
#include "tests/support/file_text.h"

namespace adaptive {

#define ADAPTIVE_STRING2(x) #x
#define ADAPTIVE_STRING(x) ADAPTIVE_STRING2(x)
#define ADAPTIVE_THUNK ADAPTIVE_STRING(__USER_LABEL_PREFIX__) "AdaptiveCallWithStackOffset"

// cdecl (entry, context, record, offset): aligns the stack to 32 bytes, moves
// it down by the offset and the two arguments, and calls the standard-call
// entry point, which pops its arguments itself.
extern "C" int32_t AdaptiveCallWithStackOffset(TokenEntryPoint entry, SimContext* context, TokenRecord* record,
                                               int32_t offset);
asm(".text\n"
    ".globl " ADAPTIVE_THUNK "\n" ADAPTIVE_THUNK ":\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  andl $-32, %esp\n"
    "  subl $24, %esp\n"
    "  subl 20(%ebp), %esp\n"
    "  pushl 16(%ebp)\n"
    "  pushl 12(%ebp)\n"
    "  call *8(%ebp)\n"
    "  movl %ebp, %esp\n"
    "  popl %ebp\n"
    "  ret\n");

int32_t CallEntry(TokenEntryPoint entry, SimContext* context, TokenRecord* record, int32_t offset) {
  return AdaptiveCallWithStackOffset(entry, context, record, offset);
}

namespace {

// A session whose every call is made with the stack `offset` bytes off.
class ShiftedStackSession : public TokenSession {
 public:
  ShiftedStackSession(TokenEntryPoint entry, int inputs, int outputs, const std::vector<double>& parameters,
                      int32_t offset)
      : TokenSession(entry, static_cast<size_t>(inputs), static_cast<size_t>(outputs), parameters), offset(offset) {}
  ~ShiftedStackSession() override {
    if (isLive()) terminate();
  }

 protected:
  int32_t callEntry(TokenEntryPoint entryPoint, SimContext* context, TokenRecord* record) override {
    return CallEntry(entryPoint, context, record, offset);
  }

 private:
  int32_t offset;
};

}  // namespace

std::vector<uint64_t> OutputBitsWithStackOffset(TokenEntryPoint entry, int inputs, int outputs,
                                                const std::vector<double>& parameters, int samples, int32_t offset) {
  ShiftedStackSession host(entry, inputs, outputs, parameters, offset);
  std::vector<uint64_t> bits;
  bits.push_back(static_cast<uint64_t>(host.create()));
  uint32_t state = 12345u;
  std::vector<double> values(inputs);
  for (int n = 0; n < samples; ++n) {
    for (double& v : values) {
      state = state * 1664525u + 1013904223u;  // the same sequence on every build
      v = static_cast<double>(state >> 8) / 16777216.0 - 0.5;
    }
    bits.push_back(static_cast<uint64_t>(host.run(values)));
    for (int p = 0; p < outputs; ++p) {
      const double value = host.output(static_cast<size_t>(p)).value;
      uint64_t b;
      std::memcpy(&b, &value, sizeof b);
      bits.push_back(b);
    }
  }
  bits.push_back(static_cast<uint64_t>(host.terminate()));
  return bits;
}

}  // namespace adaptive
