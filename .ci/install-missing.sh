# Installing Debian packages from the project's scripts (run.sh, the CI jobs,
# the benchmarks). Source it; it defines two functions and changes nothing else.
#
# A machine that has just booted may be running unattended upgrades: apt-get
# refuses at once when another package manager holds its locks, and the lock
# time-out that it can be given covers dpkg's locks but not the package lists'
# that `apt-get update` takes. So each call waits, saying so, while another
# process holds any of them, and tries again if it loses a race for them.

# wait_for_package_manager: returns once no other process holds a lock of
# apt or dpkg (after at most half an hour, when apt-get then says who does).
wait_for_package_manager() {
  local holder announced="" waited=0
  while holder="$(lslocks -n -o COMMAND,PID,PATH 2>/dev/null | awk '
      $3 ~ "^/var/lib/dpkg/lock" || $3 == "/var/lib/apt/lists/lock" || $3 == "/var/cache/apt/archives/lock" {
        print $1 " (process " $2 ")"; exit }')"; [ -n "$holder" ] && [ "$waited" -lt 1800 ]; do
    if [ -z "$announced" ]; then
      echo "Waiting for the package manager: $holder holds its lock (another installation or an unattended upgrade)..." >&2
      announced=1
    fi
    sleep 2
    waited=$((waited + 2))
  done
  [ -z "$announced" ] || echo "The package manager is free after ${waited} s." >&2
}

# install_missing [APT-GET OPTION...] PACKAGE...: installs with apt-get those
# of the named Debian packages that are not installed yet; options (words
# that start with "-", such as --no-install-recommends) go to `apt-get install`.
install_missing() {
  local options=() missing=() word
  for word in "$@"; do
    if [ "${word#-}" != "$word" ]; then
      options+=("$word")
    else
      dpkg -s "$word" >/dev/null 2>&1 || missing+=("$word")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo="" try
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing Debian packages: ${missing[*]}" >&2
  for try in 1 2 3 4 5; do
    wait_for_package_manager
    if $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq &&
       DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
         "${options[@]}" "${missing[@]}" >/dev/null; then
      return 0
    fi
    [ "$try" -lt 5 ] && echo "apt-get failed (try $try of 5); trying again" >&2
    sleep 5
  done
  return 1
}
