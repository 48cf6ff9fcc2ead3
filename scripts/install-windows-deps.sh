#!/usr/bin/env bash
# Installs what the Windows builds and the Wine integration test need on Debian 12:
# the MinGW-w64 cross compilers (posix thread model, for std::thread and std::mutex),
# wine64, and dpkg-dev, with which apt-get source unpacks Debian's Lua 5.4 source
# package for the Windows host (scripts/build-lua-mingw.sh). Does nothing when
# all is there.
set -euo pipefail
exec "$(dirname "$0")/install-deps.sh" cmake make binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 \
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine64 dpkg-dev
