#!/usr/bin/env bash
# Builds Lua 5.4 from Debian's source package (Debian's patches applied) with
# the MinGW-w64 cross compilers into the static library the Windows host links:
# build/lua-mingw/<arch>/lib/liblua.a and its headers in .../include, for each
# ARCH given (i686 and x86_64 by default); ARCH linux-i386 builds it with
# gcc -m32 for the 32-bit Linux build (preset i686), which cannot take
# Debian's liblua5.4-dev:i386 as that pulls in libc6-dev:i386, whose version
# must match the amd64 one exactly. A library already built from the
# same source version is kept. The flags are those of Debian's own build of
# the library (LUA_COMPAT_5_3), so scripts meet the same Lua on both systems.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
[ $# -gt 0 ] || set -- i686 x86_64
source="$(scripts/debian-source.sh lua5.4 "$root/build/lua-src")"
version="$(basename "$source")"
launcher="$(command -v ccache || true)"
headers=(lua.h luaconf.h lualib.h lauxlib.h lua.hpp)
for arch in "$@"; do
  case "$arch" in
    i686|x86_64) compiler="$arch-w64-mingw32-gcc-posix" archiver="$arch-w64-mingw32-ar" ;;
    linux-i386) compiler="gcc -m32 -fPIC -DLUA_USE_LINUX -I$root/build/lua-mingw/$arch/include" archiver=ar ;;
    *) echo "build-lua-mingw.sh: no toolchain for '$arch' (i686, x86_64 or linux-i386)" >&2; exit 1 ;;
  esac
  prefix="$root/build/lua-mingw/$arch"
  if [ -f "$prefix/lib/liblua.a" ] && [ "$(cat "$prefix/source" 2>/dev/null)" = "$version" ]; then
    continue
  fi
  objects="$prefix/obj"
  rm -rf "$prefix"
  mkdir -p "$objects" "$prefix/lib" "$prefix/include"
  # Debian's luaconf.h takes the Linux library folder from a header that
  # Debian's build writes; it is written here as Debian's rules do.
  if [ "$arch" = linux-i386 ]; then
    printf '#ifndef _LUA_DEB_MULTIARCH_\n#define _LUA_DEB_MULTIARCH_\n#define DEB_HOST_MULTIARCH "i386-linux-gnu"\n#endif\n' \
      >"$prefix/include/lua5.4-deb-multiarch.h"
  fi
  # The library: every source but the two programs lua.c and luac.c.
  find "$source/src" -maxdepth 1 -name 'l*.c' ! -name lua.c ! -name luac.c -print0 |
    CC="$launcher $compiler" OBJECTS="$objects" xargs -0 -P "$(nproc)" -I{} \
      sh -c '$CC -O2 -Wall -Wextra -DLUA_COMPAT_5_3 -c "$1" -o "$OBJECTS/$(basename "$1" .c).o"' sh {}
  "$archiver" rcs "$prefix/lib/liblua.a" "$objects"/*.o
  for header in "${headers[@]}"; do cp "$source/src/$header" "$prefix/include/"; done
  rm -rf "$objects"
  echo "$version" >"$prefix/source"
  echo "Lua ($version) for $arch: $prefix/lib/liblua.a"
done
