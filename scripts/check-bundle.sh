#!/usr/bin/env bash
# Checks the Windows release bundle that scripts/package.sh builds (the given
# zip, by default the one of the current version): it unpacks
# it and checks that it holds the DLL, the host, the README and the examples,
# and that each PE file is a 32-bit i386 image that imports only system DLLs,
# the DLL exporting exactly its two entry points (check-win32-image.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
fail() { echo "FAIL: $*" >&2; exit 1; }
# By default the bundle of the version the win32 build is configured for.
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' build/win32/CMakeCache.txt 2>/dev/null || true)"
bundle="${1:-dist/chorister-$version-win32.zip}"
[ -f "$bundle" ] || fail "$bundle is missing: run scripts/package.sh"
scripts/install-deps.sh unzip
unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
unzip -q "$bundle" -d "$unpacked"
folder="$unpacked/$(basename "$bundle" .zip)"
[ -d "$folder" ] || fail "$bundle does not unpack into $(basename "$folder")"
for file in chorister.dll chorister-host.exe README.txt examples/demo.lua examples/chorister.lua; do
  [ -f "$folder/$file" ] || fail "$bundle lacks $file"
done
images=0
while IFS= read -r -d '' image; do
  scripts/check-win32-image.sh "$image"
  images=$((images + 1))
done < <(find "$folder" -type f \( -iname '*.dll' -o -iname '*.exe' \) -print0)
echo "$(basename "$bundle"): $images images, $(find "$folder/examples" -name '*.lua' | wc -l) examples, README.txt"
