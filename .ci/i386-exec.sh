# Sourced by the CI scripts that run 32-bit x86 Linux programs. Some kernels
# (this CI's among them) are built without 32-bit support and answer "Exec
# format error"; there the programs run under qemu's user-mode emulator,
# registered with binfmt_misc so that child processes (adaptsim started by the
# tests) run the same way. Its SSE2 doubles are IEEE arithmetic like the CPU's,
# but a NaN that meets another NaN may come out with the other one's sign.
# Sets I386_EMULATED to 1 when the programs run under the emulator.
ensure_i386_exec() {
  I386_EMULATED=0
  local probe
  probe="$(mktemp -d)"
  printf 'int main(void) { return 0; }\n' >"$probe/probe.c"
  gcc -m32 "$probe/probe.c" -o "$probe/probe"
  if "$probe/probe" 2>/dev/null; then
    # A registered handler runs ahead of the kernel's own loader.
    if grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386; then
      echo "32-bit x86 programs run under qemu-i386 (registered with binfmt_misc)"
      I386_EMULATED=1
    fi
    rm -rf "$probe"
    return 0
  fi
  echo "this kernel cannot execute 32-bit x86 programs: running them under qemu-i386"
  I386_EMULATED=1
  if ! command -v qemu-i386 >/dev/null; then
    . .ci/install-missing.sh
    install_missing --no-install-recommends qemu-user
  fi
  [ -e /proc/sys/fs/binfmt_misc/register ] || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] ||
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$(command -v qemu-i386)"':F' \
      >/proc/sys/fs/binfmt_misc/register
  "$probe/probe" || { echo "FAIL: 32-bit programs still cannot run"; rm -rf "$probe"; return 1; }
  rm -rf "$probe"
}
