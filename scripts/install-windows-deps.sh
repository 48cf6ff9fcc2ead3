#!/usr/bin/env bash
# Installs what the Windows builds and the Wine integration test need on Debian 12:
# the MinGW-w64 cross compilers (posix thread model, for std::thread and std::mutex)
# and wine64. Does nothing when all is there.
set -euo pipefail
exec "$(dirname "$0")/install-deps.sh" cmake make binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 \
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine64
