#!/usr/bin/env bash
# Installs what the Windows builds and the Wine integration test need on Debian 12:
# the MinGW-w64 cross compilers (posix thread model, for std::thread and std::mutex)
# and wine64. Does nothing when all is there.
set -euo pipefail
packages=(cmake make binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
          g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine64)
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
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
