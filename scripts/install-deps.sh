#!/usr/bin/env bash
# Installs what building and testing Chorister needs on Debian 12, or the
# packages given as arguments; does nothing when all is there.
set -euo pipefail
if [ $# -gt 0 ]; then
  packages=("$@")
else
  packages=(cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev liblua5.4-dev)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  # A list that fails to download (a mirror halfway through a sync) leaves
  # the one apt had; a package then missing fails the install below.
  apt-get -o DPkg::Lock::Timeout=600 update -qq || echo "install-deps.sh: apt-get update reported errors (above); going on with the package lists apt has" >&2
  apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
fi
