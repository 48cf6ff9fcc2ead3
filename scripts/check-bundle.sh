#!/usr/bin/env bash
# Checks the Windows release bundle that scripts/package.sh builds (the given
# zip, by default the one of the current version): it unpacks
# it and checks that it holds the DLL, the host, the README and the examples,
# and that each PE file is a 32-bit i386 image that imports only system DLLs,
# the DLL exporting exactly its two entry points (check-win32-image.sh). Then
# it runs the bundle as shipped under 32-bit Wine: the unpacked
# chorister-host.exe with its own examples/demo.lua over the demo desktop,
# whose two clients are the 32-bit stand-in (build/win32) placed beside it,
# and checks that the script saw every event and the roster. Where 32-bit
# Wine runs under qemu and cannot read a client, the host only loads the DLL
# and runs an example to a clean end.
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

# The run: the stand-in is no part of the bundle, so it is copied in beside
# the host, which starts it from its own folder.
cp build/win32/bin/standin_client.exe "$folder/" 2>/dev/null ||
  fail "build/win32/bin/standin_client.exe is missing: build the win32 preset first"
root="$PWD"
. scripts/wine-env.sh
log="$root/build/bundle-run.log"
output=""
log_has() { grep -qF -- "$1" <<<"$output"; }
run_bundle() {
  local status=0
  (cd "$folder" && timeout 900 "$wine" chorister-host.exe "$@") >"$log" 2>&1 || status=$?
  [ "$status" -eq 0 ] || fail "the bundle's chorister-host.exe ended with status $status under 32-bit Wine (see $log)"
  output="$(tr -d '\r' <"$log")"
  log_has "Chorister version 20081015 Loaded" || fail "the bundle's host under 32-bit Wine did not load its DLL (see $log)"
}
if emulated32; then
  # No client's tree can be read there (scripts/wine-env.sh): the host loads
  # the DLL, runs an example over an empty desktop and ends cleanly.
  run_bundle --seconds 3 --script examples/roster.lua
  log_has "(no Ventrilo client is running)" || fail "the bundle's roster example printed no roster (see $log)"
  echo "$(basename "$bundle") under 32-bit Wine on qemu-i386: the host loaded the DLL and ran examples/roster.lua to a clean end (no client: Wine cannot read another process's memory there)"
  exit 0
fi
run_bundle --desktop demo --seconds 20 --script examples/demo.lua
for event in InstanceOpened Online JoinedInstance JoinedParent LeavingParent LeavingInstance NameChanged \
             DisplayTextChanged PronunciationChanged CommentChanged CommentURLChanged RankChanged RankIDChanged \
             FlagsChanged IconChanged Offline InstanceClosed; do
  log_has " Ventrilo.On$event " || fail "the bundle's demo under 32-bit Wine never showed Ventrilo.On$event (see $log)"
done
for line in "  [Guild Hall]  -- Raid night is Thursday" "Alice (admin)  <- me"; do
  log_has "$line" || fail "the bundle's demo under 32-bit Wine did not print \"$line\" (see $log)"
done
! log_has "script error" && ! log_has "error in a" || fail "the bundle's demo under 32-bit Wine raised a script error (see $log)"
echo "$(basename "$bundle") under 32-bit Wine: the demo saw all 17 events and the roster"
