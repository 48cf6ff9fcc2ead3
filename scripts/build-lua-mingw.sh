#!/usr/bin/env bash
# Builds Lua 5.4 from Debian's source package (Debian's patches applied) with
# the MinGW-w64 cross compilers into the static library the Windows host links:
# build/lua-mingw/<arch>/lib/liblua.a and its headers in .../include, for each
# ARCH given (i686 and x86_64 by default). A library already built from the
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
    i686|x86_64) ;;
    *) echo "build-lua-mingw.sh: no MinGW-w64 toolchain for '$arch' (i686 or x86_64)" >&2; exit 1 ;;
  esac
  prefix="$root/build/lua-mingw/$arch"
  if [ -f "$prefix/lib/liblua.a" ] && [ "$(cat "$prefix/source" 2>/dev/null)" = "$version" ]; then
    continue
  fi
  compiler="$arch-w64-mingw32-gcc-posix"
  objects="$prefix/obj"
  rm -rf "$prefix"
  mkdir -p "$objects" "$prefix/lib" "$prefix/include"
  # The library: every source but the two programs lua.c and luac.c.
  find "$source/src" -maxdepth 1 -name 'l*.c' ! -name lua.c ! -name luac.c -print0 |
    CC="$launcher $compiler" OBJECTS="$objects" xargs -0 -P "$(nproc)" -I{} \
      sh -c '$CC -O2 -Wall -Wextra -DLUA_COMPAT_5_3 -c "$1" -o "$OBJECTS/$(basename "$1" .c).o"' sh {}
  "$arch-w64-mingw32-ar" rcs "$prefix/lib/liblua.a" "$objects"/*.o
  for header in "${headers[@]}"; do cp "$source/src/$header" "$prefix/include/"; done
  rm -rf "$objects"
  echo "$version" >"$prefix/source"
  echo "Lua ($version) for $arch: $prefix/lib/liblua.a"
done
