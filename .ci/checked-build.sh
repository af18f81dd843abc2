# Shared by the checked CI jobs (sanitize.sh, leaks.sh, fuzz.sh, long-run.sh):
# installs missing Debian packages and sets the sanitizers' run-time options.
# Source it; it changes nothing else.

# ensure_packages PACKAGE...: installs those that are not installed yet.
ensure_packages() {
  local missing=()
  for p in "$@"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
}

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
