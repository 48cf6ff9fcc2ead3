#!/usr/bin/env bash
# Unpacks Debian's source package PACKAGE, with Debian's patches applied, into
# DIR (once; later calls find it there) and prints the unpacked folder. Needs
# source entries (deb-src) for the configured Debian mirror: when apt has none,
# it adds them as root, one for every Debian binary entry (same mirror, suites
# and components), and updates the package lists.
set -euo pipefail
package="${1:?usage: debian-source.sh PACKAGE DIR}"
dir="${2:?usage: debian-source.sh PACKAGE DIR}"
fail() { echo "debian-source.sh: $*" >&2; exit 1; }

if ! apt-get source --print-uris "$package" >/dev/null 2>&1; then
  [ "$(id -u)" -eq 0 ] || fail "no Debian source entries for $package; run as root to add them"
  entries=/etc/apt/sources.list.d/chorister-debian-src.sources
  {
    # deb822 entries: copy each Debian stanza of type deb as deb-src.
    for file in /etc/apt/sources.list.d/*.sources; do
      [ -f "$file" ] && [ "$file" != "$entries" ] || continue
      awk 'BEGIN { RS = ""; FS = "\n" }
           {
             binary = 0; debian = 0
             for (i = 1; i <= NF; i++) {
               if ($i ~ /^Types:/ && (" " $i " ") ~ / deb /) binary = 1
               if ($i ~ /^URIs:/ && $i ~ /debian/) debian = 1
             }
             if (!binary || !debian) next
             for (i = 1; i <= NF; i++) {
               if ($i ~ /^Types:/) $i = "Types: deb-src"
               if ($i !~ /^#/) print $i
             }
             print ""
           }' "$file"
    done
    # One-line entries: "deb [options] URI suite components".
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
      [ -f "$file" ] || continue
      sed -n 's/^[[:space:]]*deb[[:space:]]\(.*debian.*\)$/\1/p' "$file" | while read -r line; do
        options="" uri="" suite="" components=""
        if [[ "$line" == \[* ]]; then options="${line%%]*}"; options="${options#[}"; line="${line#*] }"; fi
        read -r uri suite components <<<"$line"
        printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\n' "$uri" "$suite" "$components"
        [[ "$options" == *signed-by=* ]] && printf 'Signed-By: %s\n' "$(sed 's/.*signed-by=\([^ ]*\).*/\1/' <<<"$options")"
        echo
      done
    done
  } >"$entries"
  [ -s "$entries" ] || { rm -f "$entries"; fail "apt has no Debian mirror configured"; }
  apt-get update -qq
  apt-get source --print-uris "$package" >/dev/null 2>&1 || fail "the Debian mirror offers no source package $package"
fi

mkdir -p "$dir"
cd "$dir"
unpacked="$(find . -mindepth 1 -maxdepth 1 -type d -name "$package-*" -print -quit)"
if [ -z "$unpacked" ]; then
  # apt-get source unpacks with dpkg-source (dpkg-dev), applying Debian's patches.
  apt-get -o APT::Sandbox::User=root source -qq "$package" >/dev/null
  unpacked="$(find . -mindepth 1 -maxdepth 1 -type d -name "$package-*" -print -quit)"
  [ -n "$unpacked" ] || fail "apt-get source $package left no folder in $dir"
fi
realpath "$unpacked"
