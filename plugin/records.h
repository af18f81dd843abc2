// The records that the host simulator and this library exchange.
//
// The host is a 32-bit program: on 32-bit targets every record below has
// exactly the byte layout that the host uses, asserted at the end of this file.
// On 64-bit targets (the stand-in host, tests) the same fields stand in the same
// order with pointer-sized slots; the 40-byte port records and the offsets of
// SimContext do not change.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/catalogue_limits.h"

#if defined(_WIN32)
#define ADAPTIVE_EXPORT __declspec(dllexport)
#else
#define ADAPTIVE_EXPORT __attribute__((visibility("default")))
#endif

// Standard-call convention on 32-bit x86 (callee pops its arguments), the
// platform's C convention everywhere else. The host calls with a stack aligned
// to 4 bytes only, while code built for 32-bit Linux may keep 16-byte vectors
// in stack slots that it takes to be aligned: on 32-bit x86 the exported
// functions realign the stack on entry.
#if defined(__i386__) || defined(_M_IX86)
#define ADAPTIVE_CALL __attribute__((stdcall, force_align_arg_pointer))
#else
#define ADAPTIVE_CALL
#endif

namespace adaptive {

class AdaptiveToken;

// Port record: one per output port (consecutive array) and one per input port
// (reached through an array of pointers). The library never writes inputs.
struct PortRecord {
  double value;            // 0x00 the sample on this port
  double sampleTime;       // 0x08
  double sampleRate;       // 0x10
  int32_t skip;            // 0x18 nonzero: no sample this call
  int32_t formatCode;      // 0x1C
  int32_t formatWidth;     // 0x20
  int32_t formatExponent;  // 0x24
};
using InputPortRecord = PortRecord;
using OutputPortRecord = PortRecord;

// The host's system record, first argument of every entry point. Only the
// fields below are used; the gaps belong to the host.
struct SimContext {
  unsigned char hostReserved0[0x18];
  double sampleRate;  // 0x18
  unsigned char hostReserved1[0x48 - 0x20];
  double sampleTime;  // 0x48
  unsigned char hostReserved2[0x58 - 0x50];
  int32_t initFlag;       // 0x58 nonzero: create the instance
  int32_t terminateFlag;  // 0x5C nonzero: destroy the instance
  char* errorText;        // 0x60 host buffer of at least 512 bytes
};

// The host's record of one token instance, second argument of every entry point.
struct TokenRecord {
  int32_t inputCount;                // 0x00
  InputPortRecord** inputs;          // 0x04
  void* hostReserved0;               // 0x08
  OutputPortRecord* outputs;         // 0x0C
  void* hostReserved1;               // 0x10
  double* parameters;                // 0x14
  char* fileName;                    // 0x18 edited in place at construction
  AdaptiveToken* instance;           // 0x1C
};

// Catalogue records filled by USERCODE. The host allocates every array.
struct TokenDescriptor {
  int32_t kind;                    // 0x00 always 2
  const char* entryName;           // 0x04
  const char* displayName;         // 0x08
  const char* description;         // 0x0C
  const char* iconFile;            // 0x10
  int32_t inputCount;              // 0x14
  int32_t portKind;                // 0x18 always 1
  const char** inputNames;         // 0x1C
  int32_t outputCount;             // 0x20
  const char** outputNames;        // 0x24
  int32_t parameterCount;          // 0x28
  const char** parameterNames;     // 0x2C
  double* parameterDefaults;       // 0x30
  const char* fileLabel;           // 0x34
  const char* defaultFileName;     // 0x38
  void* hostReserved;              // 0x3C never written
};

struct LibraryInfo {
  int32_t version;                 // 0x00 always 10
  int32_t tokenCount;              // 0x04
  TokenDescriptor* tokens;         // 0x08
};


static_assert(sizeof(PortRecord) == 40, "port records are 40 bytes");
static_assert(offsetof(PortRecord, sampleTime) == 0x08, "layout");
static_assert(offsetof(PortRecord, sampleRate) == 0x10, "layout");
static_assert(offsetof(PortRecord, skip) == 0x18, "layout");
static_assert(offsetof(PortRecord, formatCode) == 0x1C, "layout");
static_assert(offsetof(PortRecord, formatWidth) == 0x20, "layout");
static_assert(offsetof(PortRecord, formatExponent) == 0x24, "layout");
static_assert(offsetof(SimContext, sampleRate) == 0x18, "layout");
static_assert(offsetof(SimContext, sampleTime) == 0x48, "layout");
static_assert(offsetof(SimContext, initFlag) == 0x58, "layout");
static_assert(offsetof(SimContext, terminateFlag) == 0x5C, "layout");
static_assert(offsetof(SimContext, errorText) == 0x60, "layout");

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(TokenRecord, inputs) == 0x04, "layout");
static_assert(offsetof(TokenRecord, outputs) == 0x0C, "layout");
static_assert(offsetof(TokenRecord, parameters) == 0x14, "layout");
static_assert(offsetof(TokenRecord, fileName) == 0x18, "layout");
static_assert(offsetof(TokenRecord, instance) == 0x1C, "layout");
static_assert(sizeof(TokenRecord) == 0x20, "layout");
static_assert(offsetof(LibraryInfo, tokenCount) == 0x04, "layout");
static_assert(offsetof(LibraryInfo, tokens) == 0x08, "layout");
static_assert(sizeof(LibraryInfo) == 0x0C, "layout");
static_assert(sizeof(TokenDescriptor) == 64, "descriptors are 64 bytes");
static_assert(offsetof(TokenDescriptor, entryName) == 0x04, "layout");
static_assert(offsetof(TokenDescriptor, displayName) == 0x08, "layout");
static_assert(offsetof(TokenDescriptor, description) == 0x0C, "layout");
static_assert(offsetof(TokenDescriptor, iconFile) == 0x10, "layout");
static_assert(offsetof(TokenDescriptor, inputCount) == 0x14, "layout");
static_assert(offsetof(TokenDescriptor, portKind) == 0x18, "layout");
static_assert(offsetof(TokenDescriptor, inputNames) == 0x1C, "layout");
static_assert(offsetof(TokenDescriptor, outputCount) == 0x20, "layout");
static_assert(offsetof(TokenDescriptor, outputNames) == 0x24, "layout");
static_assert(offsetof(TokenDescriptor, parameterCount) == 0x28, "layout");
static_assert(offsetof(TokenDescriptor, parameterNames) == 0x2C, "layout");
static_assert(offsetof(TokenDescriptor, parameterDefaults) == 0x30, "layout");
static_assert(offsetof(TokenDescriptor, fileLabel) == 0x34, "layout");
static_assert(offsetof(TokenDescriptor, defaultFileName) == 0x38, "layout");
#endif

// Signatures of the exported functions, for hosts that resolve them by name.
using TokenEntryPoint = int32_t(ADAPTIVE_CALL*)(SimContext*, TokenRecord*);
using UserCodeEntryPoint = void(ADAPTIVE_CALL*)(LibraryInfo*);

}  // namespace adaptive
