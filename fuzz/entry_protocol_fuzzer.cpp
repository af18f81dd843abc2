// Drives the token entry points the way a careless or hostile host could:
// random sequences of creation, run, re-creation and terminate calls on a few
// records at once, with extreme parameter values, odd file names, odd port
// rates and skip marks. Besides the sanitizers' findings it checks what the
// entry protocol promises on every call.
#include <fuzzer/FuzzedDataProvider.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "fuzz/linked_tokens.h"

namespace {

constexpr int kSlots = 3;
constexpr size_t kErrorBytes = 1024;
constexpr char kUntouched = 'x';

[[noreturn]] void Fail(const char* token, const char* what, long value = 0) {
  std::fprintf(stderr, "entry protocol violated by %s: %s (%ld)\n", token, what, value);
  std::abort();
}

// Values a host, a user or a signal can hand over. Finite magnitudes between 64
// and 2^31 are folded down: as counts they would make real, many-megabyte
// filters whose zeroing and steps only slow the search down (the unit tests
// check the size limits).
double PickValue(FuzzedDataProvider& in) {
  static const double kSpecial[] = {
      0.0, -0.0, 1.0, -1.0, 0.5, -0.7, 1.9, 2.9, 0.01, 0.99, 1.0000001, 0.9999999, -1e-300, 1e-300,
      std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN(),
      std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
      std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
      std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min(), 1e300, -1e300,
      2147483648.0, 2147483648.5, -2147483649.0, 4294967296.0, 1e19};
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      return kSpecial[in.ConsumeIntegralInRange<size_t>(0, sizeof kSpecial / sizeof kSpecial[0] - 1)];
    case 1:
      return static_cast<double>(in.ConsumeIntegralInRange<int>(-2, 40));
    case 2:
      return in.ConsumeIntegralInRange<int>(0, 40) + in.ConsumeProbability<double>();
    default: {
      double v = in.ConsumeFloatingPoint<double>();
      if (std::isfinite(v) && std::fabs(v) > 64.0 && std::fabs(v) < 2147483648.0) v = std::fmod(v, 64.0);
      return v;
    }
  }
}

// File names stay inside the working directory: no fragment starts with '/',
// and a '/' only ever follows a plain directory name, so ".." never forms a
// path component. The set of names is small, so the directory stays small.
std::string PickFileName(FuzzedDataProvider& in) {
  static const char* const kFragments[] = {"", " ", "  ", "\t", "\n", ".", "..", "w", "a.b.c", "sub/",
                                           "nodir/", "dir", "full", "weights", ".txt", "x y", "e."};
  std::string name;
  const int parts = in.ConsumeIntegralInRange<int>(0, 4);
  for (int p = 0; p < parts; ++p) {
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
      case 0:
        name += std::string(in.ConsumeIntegralInRange<size_t>(240, 300), 'n');
        break;
      case 1: {
        const char c = static_cast<char>(in.ConsumeIntegralInRange<int>(32, 126));
        name += c == '/' ? '_' : c;
        break;
      }
      default:
        name += kFragments[in.ConsumeIntegralInRange<size_t>(0, sizeof kFragments / sizeof kFragments[0] - 1)];
    }
  }
  return name;
}

// One host record with everything the host owns for it, each piece allocated
// at its exact size so that AddressSanitizer sees any access beyond it.
struct Slot {
  const LinkedToken* token = nullptr;
  int32_t parameterCount = kMaxParameters;
  SimContext context{};
  TokenRecord record{};
  std::vector<PortRecord> inputs;
  std::vector<PortRecord*> inputPointers;
  std::vector<PortRecord> outputs;
  std::vector<double> parameters;
  std::vector<char> fileName;
  char errorText[kErrorBytes];
  int reference = 0;
  bool constructed = false;

  void bind(const LinkedToken* t) {
    token = t;
    parameterCount = kMaxParameters;
    if (const LibraryInfo* info = LinkedCatalogue()) {
      for (int k = 0; k < info->tokenCount; ++k)
        if (std::strcmp(info->tokens[k].entryName, t->name) == 0) parameterCount = info->tokens[k].parameterCount;
    }
    inputs.assign(t->inputs, PortRecord{});
    inputPointers.clear();
    for (PortRecord& p : inputs) inputPointers.push_back(&p);
    outputs.assign(t->outputs, PortRecord{});
    record = TokenRecord{};
    record.inputCount = t->inputs;
    record.inputs = inputPointers.data();
    record.outputs = outputs.data();
  }

  int32_t call(int32_t init, int32_t terminate) {
    std::memset(errorText, kUntouched, sizeof errorText);
    context.errorText = errorText;
    context.initFlag = init;
    context.terminateFlag = terminate;
    const int32_t status = token->entry(&context, &record);
    for (size_t k = kErrorTextCapacity; k < sizeof errorText; ++k)
      if (errorText[k] != kUntouched) Fail(token->name, "error text written past 512 bytes", static_cast<long>(k));
    if (status == 0 && errorText[0] != kUntouched) Fail(token->name, "successful call wrote error text");
    return status;
  }

  bool startsWith(const char* prefix) const { return std::strncmp(errorText, prefix, std::strlen(prefix)) == 0; }
};

void Create(Slot& s, FuzzedDataProvider& in) {
  s.parameters.resize(static_cast<size_t>(s.parameterCount));
  for (double& p : s.parameters) p = PickValue(in);
  s.record.parameters = s.parameters.data();
  const std::string name = PickFileName(in);
  s.fileName.assign(name.begin(), name.end());
  s.fileName.push_back('\0');
  s.record.fileName = s.fileName.data();
  // The reference input is the first of the highest rate, fixed at creation.
  double best = 0.0;
  s.reference = 0;
  for (size_t i = 0; i < s.inputs.size(); ++i) {
    static const double kRates[] = {1000.0, 1000.0, 500.0, 2000.0, 0.0, -1.0,
                                    std::numeric_limits<double>::quiet_NaN(),
                                    std::numeric_limits<double>::infinity()};
    s.inputs[i].sampleRate = kRates[in.ConsumeIntegralInRange<size_t>(0, 7)];
    s.inputs[i].skip = in.ConsumeIntegralInRange<int32_t>(-1, 1);
    if (s.inputs[i].sampleRate > best) {
      best = s.inputs[i].sampleRate;
      s.reference = static_cast<int>(i);
    }
  }
  const int32_t status = s.call(1, in.ConsumeBool() ? 1 : 0);
  if (s.record.instance == nullptr) Fail(s.token->name, "creation stored no instance", status);
  s.constructed = status == 0;
  switch (status) {
    case 0:
      break;
    case 1:
      if (!s.startsWith("Improper ") && !s.startsWith("Problems opening ") && !s.startsWith("Problems writing "))
        Fail(s.token->name, "status 1 without its message");
      break;
    case 1002:
      if (!s.startsWith("Memory (s_) allocation error.")) Fail(s.token->name, "status 1002 without its message");
      break;
    default:
      Fail(s.token->name, "unexpected creation status", status);
  }
}

void RunSamples(Slot& s, FuzzedDataProvider& in) {
  const int samples = in.ConsumeIntegralInRange<int>(1, 64);
  std::vector<PortRecord> before;
  for (int n = 0; n < samples && in.remaining_bytes() > 0; ++n) {
    for (PortRecord& p : s.inputs) {
      p.value = PickValue(in);
      p.skip = in.ConsumeIntegralInRange<int>(0, 7) == 0 ? 1 : 0;
      p.sampleTime += 1.0;
    }
    before = s.outputs;
    const int32_t status = s.call(0, 0);
    if (status != 0) Fail(s.token->name, "run call returned a status", status);
    if (s.record.instance == nullptr) continue;
    const bool skipped = !s.inputs.empty() && s.inputs[s.reference].skip != 0;
    for (size_t o = 0; o < s.outputs.size(); ++o) {
      if (s.outputs[o].skip != (skipped ? 1 : 0)) Fail(s.token->name, "output skip mark differs from the reference input");
      const bool computes = s.constructed && !skipped;
      if (!computes && std::memcmp(&s.outputs[o].value, &before[o].value, sizeof(double)) != 0)
        Fail(s.token->name, "output value changed without a step", static_cast<long>(o));
    }
  }
}

void Terminate(Slot& s) {
  const int32_t status = s.call(0, 1);
  if (s.record.instance != nullptr) Fail(s.token->name, "terminate left the instance in the record");
  if (status == 1 && !s.startsWith("Problems writing ")) Fail(s.token->name, "status 1 at terminate without its message");
  if (status == 1002 && !s.startsWith("Memory (s_) allocation error.")) Fail(s.token->name, "status 1002 without its message");
  if (status != 0 && status != 1 && status != 1002) Fail(s.token->name, "unexpected terminate status", status);
  s.constructed = false;
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return std::remove(path); }

char gWorkDir[] = "/tmp/adaptive-entry-fuzz-XXXXXX";

void RemoveWorkDir() { nftw(gWorkDir, RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Every final-weights file lands in a fresh directory: plain names, a
  // subdirectory, names that are directories, and names that lead to a full disk.
  if (mkdtemp(gWorkDir) == nullptr || chdir(gWorkDir) != 0) std::abort();
  std::atexit(RemoveWorkDir);
  mkdir("sub", 0755);
  for (const char* d : {"dir.txt", "dir1.txt", "dir2.txt", "dir3.txt"}) mkdir(d, 0755);
  for (const char* f : {"full.txt", "full1.txt", "full2.txt", "full3.txt"})
    if (symlink("/dev/full", f) != 0) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  Slot slots[kSlots];
  const LinkedToken* tokens = LinkedTokens();
  for (int op = 0; op < 48 && in.remaining_bytes() > 0; ++op) {
    Slot& s = slots[in.ConsumeIntegralInRange<int>(0, kSlots - 1)];
    if (s.token == nullptr) {
      const LinkedToken& t = tokens[in.ConsumeIntegralInRange<int>(0, kLinkedTokenCount - 1)];
      if (t.entry == nullptr) continue;
      s.bind(&t);
    }
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
      case 0:
        Create(s, in);
        break;
      case 1:
      case 2:
        RunSamples(s, in);
        break;
      default:
        Terminate(s);
        // The host may reuse a freed record for a token of another kind.
        if (in.ConsumeBool()) s.token = nullptr;
        break;
    }
  }
  for (Slot& s : slots)
    if (s.token != nullptr && s.record.instance != nullptr) Terminate(s);
  return 0;
}
