# Shared by the checked CI jobs (sanitize.sh, leaks.sh, fuzz.sh, long-run.sh):
# installs missing Debian packages (install_missing) and sets the sanitizers' run-time options.
# Source it; it changes nothing else.

. .ci/install-missing.sh

# One test asks for about 2^61 bytes and expects a refusal, not an abort.
export ASAN_OPTIONS="allocator_may_return_null=1:detect_leaks=1:abort_on_error=0:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"

# configure_checked BUILD_DIR [CMAKE OPTIONS...]: the sanitizer build with gcc.
configure_checked() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DADAPTIVE_SANITIZE=ON "$@" >/dev/null
  cmake --build "$dir" -j2
}
