#!/usr/bin/env bash
# Installs what running the 32-bit Windows images needs on Debian 12 amd64,
# beside wine64 (scripts/install-windows-deps.sh): the i386 architecture and,
# when the kernel runs no 32-bit program itself, qemu-i386 through binfmt_misc
# (scripts/install-i386-runner.sh), then Wine's 32-bit side, wine32:i386.
# Idempotent; as root when something is missing. Never removes a package: an
# install that would (wine64 among them) fails instead.
#
# Debian's i386 and amd64 builds of a shared library must be installed at the
# same version. When apt has no i386 list of a suite (one that failed to
# download, as a security suite's does while its mirror syncs), the amd64
# library may stand at a version that has no i386 build in the lists apt has;
# then the release's own versions are taken for both, the amd64 library
# changed to that version (named on the console).
set -euo pipefail
cd "$(dirname "$0")/.."
fail() { echo "install-win32-runtime.sh: $*" >&2; exit 1; }
scripts/install-i386-runner.sh
scripts/install-windows-deps.sh
dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed" && exit 0
[ "$(id -u)" -eq 0 ] || fail "wine32:i386 is missing (run as root to install it)"

export DEBIAN_FRONTEND=noninteractive
apt=(apt-get -o DPkg::Lock::Timeout=600 -y -qq --no-install-recommends --no-remove)
"${apt[@]}" install wine32:i386 >/dev/null 2>&1 && exit 0

release="$(. /etc/os-release && echo "$VERSION_CODENAME")"
candidate() { apt-cache policy "$1" | sed -n 's/^  Candidate: //p'; }
extra=()
for _ in $(seq 20); do
  problems="$("${apt[@]}" -s -t "$release" install wine32:i386 "${extra[@]}" 2>&1)" && {
    [ ${#extra[@]} -eq 0 ] || echo "install-win32-runtime.sh: taking $release's versions: ${extra[*]}"
    "${apt[@]}" --allow-downgrades -t "$release" install wine32:i386 "${extra[@]}" >/dev/null ||
      fail "apt-get could not install wine32:i386"
    exit 0
  }
  # " libwine:i386 : Depends: libfoo:i386 (>= 1) but it is not going to be installed"
  mapfile -t wanted < <(sed -n 's/.*Depends: \([^ ]*:i386\).* but it is not going to be installed.*/\1/p' <<<"$problems" | sort -u)
  [ ${#wanted[@]} -gt 0 ] || fail "apt-get cannot install wine32:i386: $(grep -m1 '^E:' <<<"$problems")"
  for package in "${wanted[@]}"; do
    name="${package%:i386}"
    version="$(candidate "$package")"
    installed="$(dpkg-query -W -f='${Version}' "$name:amd64" 2>/dev/null || true)"
    if [ -n "$installed" ] && [ "$installed" != "$version" ]; then
      extra+=("$name:amd64=$version" "$package=$version")
    else
      extra+=("$package")
    fi
  done
done
fail "apt-get cannot resolve wine32:i386's dependencies"
