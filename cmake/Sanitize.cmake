# Checked builds. ADAPTIVE_SANITIZE instruments every target with AddressSanitizer
# (out-of-bounds access, use after free, leaks) and UndefinedBehaviorSanitizer,
# and makes the first finding fatal so that no test can pass over it.
# ADAPTIVE_FUZZ adds the coverage instrumentation of libFuzzer (clang only) and
# builds the fuzzers in fuzz/.
option(ADAPTIVE_SANITIZE "Instrument everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(ADAPTIVE_FUZZ "Build the libFuzzer fuzzers (clang, implies ADAPTIVE_SANITIZE)" OFF)

if(ADAPTIVE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ADAPTIVE_FUZZ needs clang (configure with -DCMAKE_CXX_COMPILER=clang++)")
  endif()
  set(ADAPTIVE_SANITIZE ON)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(ADAPTIVE_SANITIZE)
  # float-cast-overflow catches a NaN or huge double converted to an integer;
  # gcc leaves it out of "undefined". Division by zero of doubles is not
  # checked: it yields the infinities and NaNs the filters pass through.
  set(ADAPTIVE_SANITIZER_FLAGS -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all)
  add_compile_options(${ADAPTIVE_SANITIZER_FLAGS} -fno-omit-frame-pointer -g)
  add_link_options(${ADAPTIVE_SANITIZER_FLAGS})
endif()

# ADAPTIVE_THREAD_SANITIZE instruments everything with ThreadSanitizer; the
# test suite is then only the test of filters on several threads at once
# (tests/api/parallel_filters_test.cpp), the one that uses threads.
option(ADAPTIVE_THREAD_SANITIZE "Instrument everything with ThreadSanitizer and build only the threads test" OFF)
if(ADAPTIVE_THREAD_SANITIZE)
  if(ADAPTIVE_SANITIZE)
    message(FATAL_ERROR "ThreadSanitizer and AddressSanitizer do not go together: pick one")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=thread)
endif()
