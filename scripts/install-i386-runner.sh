#!/usr/bin/env bash
# Makes this Debian 12 amd64 machine run 32-bit (i386) Linux programs, for the
# i686 test build and for 32-bit Wine: adds dpkg's i386 architecture, and
# when the kernel cannot start a 32-bit ELF itself (a kernel built or booted
# without IA-32 emulation says "Exec format error"), installs
# qemu-user-static and registers qemu-i386-static with binfmt_misc for the
# i386 ELF magic. The F flag opens the emulator once, at registration, so it
# serves programs in any mount namespace or chroot. Idempotent; needs root
# only for what is missing. Prints one line saying how 32-bit programs run.
set -euo pipefail
cd "$(dirname "$0")/.."
fail() { echo "install-i386-runner.sh: $*" >&2; exit 1; }

# The smallest i386 program: an ELF header, one loadable segment, and
# "mov eax, 1; mov ebx, 42; int 0x80" (exit with status 42).
probe="$(mktemp)"
trap 'rm -f "$probe"' EXIT
printf '%b' '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
chmod +x "$probe"
runs32() { local status=0; "$probe" 2>/dev/null || status=$?; [ "$status" -eq 42 ]; }

# apt needs the i386 package lists too (an update that failed after the
# architecture was added is made up for on the next run).
if ! dpkg --print-foreign-architectures | grep -qx i386 || ! compgen -G '/var/lib/apt/lists/*_binary-i386_Packages*' >/dev/null; then
  [ "$(id -u)" -eq 0 ] || fail "dpkg has no i386 architecture or apt no i386 package lists (run as root to add them)"
  dpkg --add-architecture i386 || fail "dpkg --add-architecture i386 failed"
  apt-get -o DPkg::Lock::Timeout=600 update -qq || true
  compgen -G '/var/lib/apt/lists/*_binary-i386_Packages*' >/dev/null ||
    fail "apt-get update fetched no i386 package lists"
fi

if runs32; then
  if grep -qs '^interpreter' /proc/sys/fs/binfmt_misc/qemu-i386; then
    echo "i386 programs: qemu-i386 through binfmt_misc"
  else
    echo "i386 programs: the kernel runs them itself"
  fi
  exit 0
fi

scripts/install-deps.sh qemu-user-static
emulator=/usr/bin/qemu-i386-static
[ -x "$emulator" ] || fail "$emulator is missing after installing qemu-user-static"
[ "$(id -u)" -eq 0 ] || fail "the kernel runs no 32-bit programs and binfmt_misc has no qemu-i386 entry (run as root to register it)"
if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc ||
    fail "could not mount binfmt_misc on /proc/sys/fs/binfmt_misc"
fi
[ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && echo -1 >/proc/sys/fs/binfmt_misc/qemu-i386
# qemu's own i386 entry: ELFCLASS32, little-endian, ET_EXEC or ET_DYN, EM_386.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
echo ":qemu-i386:M::$magic:$mask:$emulator:F" >/proc/sys/fs/binfmt_misc/register ||
  fail "binfmt_misc refused the qemu-i386 entry"
runs32 || fail "a 32-bit program still does not run after registering $emulator with binfmt_misc"
echo "i386 programs: qemu-i386 through binfmt_misc (registered now)"
