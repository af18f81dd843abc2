// Whether this build runs under AddressSanitizer, whose shadow memory needs far
// more address space than any RLIMIT_AS that a test could set: tests that limit
// the address space skip themselves there.
#pragma once

namespace adaptive {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizerBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizerBuild = true;
#else
constexpr bool kAddressSanitizerBuild = false;
#endif
#else
constexpr bool kAddressSanitizerBuild = false;
#endif

}  // namespace adaptive
