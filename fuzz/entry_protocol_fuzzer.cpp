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
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "core/catalogue.h"
#include "plugin/exports.h"

using namespace adaptive;

namespace {

constexpr int kSlots = 3;
constexpr char kUntouched = 'x';
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The entry points in catalogue order.
const TokenEntryPoint kEntries[kCatalogueSize] = {LMS,  LMS2,   LMS3, GenLMS_A, GenLMS_B, GenNLMS, NLMS, NLMS2,
                                                  NLMS3, GenNEW, NEW,  NEW2,     NEW3,     QR1,     QR2,  QR3,
                                                  GenRLS, RLS1,  RLS2, RLS3,     GenRW,    RW1,     RW2,  RW3};

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
      0.0, -0.0, 1.0, -1.0, 0.5, -0.7, 1.9, 2.9, 0.01, 0.99, 1.0000001, 0.9999999, -1e-300, 1e-300, kNaN, -kNaN,
      kInf, -kInf, std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
      std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min(), 1e300, -1e300,
      2147483648.0, 2147483648.5, -2147483649.0, 4294967296.0, 1e19};
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      return kSpecial[in.ConsumeIntegralInRange<size_t>(0, std::size(kSpecial) - 1)];
    case 1:
      return static_cast<double>(in.ConsumeIntegralInRange<int>(-2, 40));
    case 2:
      return in.ConsumeIntegralInRange<int>(0, 40) + in.ConsumeProbability<double>();
  }
  const double v = in.ConsumeFloatingPoint<double>();
  return std::isfinite(v) && std::fabs(v) > 64.0 && std::fabs(v) < 2147483648.0 ? std::fmod(v, 64.0) : v;
}

// File names stay inside the working directory: no fragment starts with '/',
// and a '/' only ever follows a plain directory name, so ".." never forms a
// path component. The set of names is small, so the directory stays small.
std::string PickFileName(FuzzedDataProvider& in) {
  static const char* const kFragments[] = {"", " ", "  ", "\t", "\n", ".", "..", "w", "a.b.c", "sub/",
                                           "nodir/", "dir", "full", "weights", ".txt", "x y", "e."};
  std::string name;
  for (int parts = in.ConsumeIntegralInRange<int>(0, 4); parts > 0; --parts) {
    const int kind = in.ConsumeIntegralInRange<int>(0, 3);
    if (kind == 0) {
      name += std::string(in.ConsumeIntegralInRange<size_t>(240, 300), 'n');
    } else if (kind == 1) {
      const char c = static_cast<char>(in.ConsumeIntegralInRange<int>(32, 126));
      name += c == '/' ? '_' : c;
    } else {
      name += kFragments[in.ConsumeIntegralInRange<size_t>(0, std::size(kFragments) - 1)];
    }
  }
  return name;
}

// One host record with everything the host owns for it, each piece allocated
// at its exact size so that AddressSanitizer sees any access beyond it.
struct Slot {
  const CatalogueEntry* token = nullptr;
  TokenEntryPoint entry = nullptr;
  SimContext context{};
  TokenRecord record{};
  std::vector<PortRecord> inputs;
  std::vector<PortRecord*> inputPointers;
  std::vector<PortRecord> outputs;
  std::vector<double> parameters;
  std::vector<char> fileName;
  char errorText[2 * kErrorTextCapacity];
  int reference = 0;
  bool constructed = false;

  void bind(int k) {
    token = &CatalogueEntries()[k];
    entry = kEntries[k];
    inputs.assign(static_cast<size_t>(token->inputCount), PortRecord{});
    inputPointers.clear();
    for (PortRecord& p : inputs) inputPointers.push_back(&p);
    outputs.assign(static_cast<size_t>(token->outputCount), PortRecord{});
    record = TokenRecord{};
    record.inputCount = token->inputCount;
    record.inputs = inputPointers.data();
    record.outputs = outputs.data();
  }

  int32_t call(int32_t init, int32_t terminate) {
    std::memset(errorText, kUntouched, sizeof errorText);
    context.errorText = errorText;
    context.initFlag = init;
    context.terminateFlag = terminate;
    const int32_t status = entry(&context, &record);
    for (size_t k = kErrorTextCapacity; k < sizeof errorText; ++k)
      if (errorText[k] != kUntouched) Fail(token->name, "error text written past 512 bytes", static_cast<long>(k));
    if (status == 0 && errorText[0] != kUntouched) Fail(token->name, "successful call wrote error text");
    return status;
  }

  bool startsWith(const char* prefix) const { return std::strncmp(errorText, prefix, std::strlen(prefix)) == 0; }

  // A failed call says why: creation may refuse a parameter or a file,
  // terminate only a file, and either may find no storage.
  void checkStatus(int32_t status, bool creating) const {
    const bool named =
        status == 0 || (status == 1002 && startsWith("Memory (s_) allocation error.")) ||
        (status == 1 && (startsWith("Problems writing ") ||
                         (creating && (startsWith("Improper ") || startsWith("Problems opening ")))));
    if (!named) Fail(token->name, creating ? "creation status without its message" : "terminate status", status);
  }
};

void Create(Slot& s, FuzzedDataProvider& in) {
  s.parameters.resize(static_cast<size_t>(s.token->parameterCount));
  for (double& p : s.parameters) p = PickValue(in);
  s.record.parameters = s.parameters.data();
  const std::string name = PickFileName(in);
  s.fileName.assign(name.c_str(), name.c_str() + name.size() + 1);
  s.record.fileName = s.fileName.data();
  // The reference input is the first of the highest rate, fixed at creation.
  static const double kRates[] = {1000.0, 1000.0, 500.0, 2000.0, 0.0, -1.0, kNaN, kInf};
  double best = 0.0;
  s.reference = 0;
  for (size_t i = 0; i < s.inputs.size(); ++i) {
    s.inputs[i].sampleRate = kRates[in.ConsumeIntegralInRange<size_t>(0, 7)];
    s.inputs[i].skip = in.ConsumeIntegralInRange<int32_t>(-1, 1);
    if (s.inputs[i].sampleRate > best) {
      best = s.inputs[i].sampleRate;
      s.reference = static_cast<int>(i);
    }
  }
  const int32_t status = s.call(1, in.ConsumeBool() ? 1 : 0);
  if (s.record.instance == nullptr) Fail(s.token->name, "creation stored no instance", status);
  s.checkStatus(status, true);
  s.constructed = status == 0;
}

void RunSamples(Slot& s, FuzzedDataProvider& in) {
  const int samples = in.ConsumeIntegralInRange<int>(1, 64);
  for (int n = 0; n < samples && in.remaining_bytes() > 0; ++n) {
    for (PortRecord& p : s.inputs) {
      p.value = PickValue(in);
      p.skip = in.ConsumeIntegralInRange<int>(0, 7) == 0 ? 1 : 0;
      p.sampleTime += 1.0;
    }
    const std::vector<PortRecord> before = s.outputs;
    const int32_t status = s.call(0, 0);
    if (status != 0) Fail(s.token->name, "run call returned a status", status);
    if (s.record.instance == nullptr) continue;
    const bool skipped = !s.inputs.empty() && s.inputs[s.reference].skip != 0;
    for (size_t o = 0; o < s.outputs.size(); ++o) {
      if (s.outputs[o].skip != (skipped ? 1 : 0)) Fail(s.token->name, "output skip mark is not the reference input's");
      if ((!s.constructed || skipped) && std::memcmp(&s.outputs[o].value, &before[o].value, sizeof(double)) != 0)
        Fail(s.token->name, "output value changed without a step", static_cast<long>(o));
    }
  }
}

void Terminate(Slot& s) {
  const int32_t status = s.call(0, 1);
  if (s.record.instance != nullptr) Fail(s.token->name, "terminate left the instance in the record");
  s.checkStatus(status, false);
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
  for (int op = 0; op < 48 && in.remaining_bytes() > 0; ++op) {
    Slot& s = slots[in.ConsumeIntegralInRange<int>(0, kSlots - 1)];
    if (s.token == nullptr) s.bind(in.ConsumeIntegralInRange<int>(0, kCatalogueSize - 1));
    const int action = in.ConsumeIntegralInRange<int>(0, 3);
    if (action == 0) {
      Create(s, in);
    } else if (action < 3) {
      RunSamples(s, in);
    } else {
      Terminate(s);
      // The host may reuse a freed record for a token of another kind.
      if (in.ConsumeBool()) s.token = nullptr;
    }
  }
  for (Slot& s : slots)
    if (s.token != nullptr && s.record.instance != nullptr) Terminate(s);
  return 0;
}
