#!/usr/bin/env bash
# Checks, slot by slot, the virtual tables that the host calls in the 32-bit
# build (nothing 32-bit runs on these machines, so the tables are read from the
# objects compiled with the product's flags): the script-type base, each of the
# six script types as the module creates them, and the module object. A host
# built with Microsoft's compiler calls them by slot number; an entry added,
# dropped or moved (a C++ virtual destructor gives GCC two) shifts every later
# slot and fails here.
#
# How: a table is a data section "_ZTV<class>" holding offset-to-top and the
# type info, then one address per slot, each with a relocation. A relocation
# names the function, or names ".text" when the function lies in the same
# object; the address stored in the slot is then its offset into .text, which
# the symbol table resolves.
set -euo pipefail
build="${1:?usage: check-win32-layout.sh path/to/build/win32}"
objdump=i686-w64-mingw32-objdump
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v "$objdump" >/dev/null || fail "$objdump is missing: run scripts/install-windows-deps.sh"

base=(DeletingDestructor ParseValue ParseValueAlt ParseArgs InitValue ClearValue ReleaseValue
      GetMemberByRecord GetMemberByName CallMethodByRecord CallMethodByName AuxOperation GetMember
      CallMethod AuxDefault UnknownMember UnknownMethod ToTextShort ToText ToTextBase InheritsMember
      InheritsMethod ValueType AddMemberAuto AddMember RemoveMember AddMethodAuto AddMethod RemoveMethod)
inheriting=("${base[@]}" InheritedAuxOperation)
module=(GetVersion Initialize Shutdown Pulse Spare)

# The function name (without class and parameters) in each slot of the table
# `vtable` (a mangled _ZTV name) in `object`, one per line.
slot_names() {
  local object="$1" vtable="$2"
  local section=".rdata\$$vtable"
  [ -f "$object" ] || fail "$object is missing: build the win32 preset first (cmake --preset win32 && cmake --build --preset win32)"
  local -a words
  mapfile -t words < <("$objdump" -s -j "$section" "$object" |
    awk '/^ [0-9a-f]+ / { for (i = 2; i <= 5; i++) if (length($i) == 8 && $i ~ /^[0-9a-f]+$/) print $i }')
  [ "${#words[@]}" -gt 2 ] || fail "$object has no table $vtable"
  local -A text
  local textSection
  textSection="$("$objdump" -t "$object" | sed -n 's/^\[ *[0-9]*\](sec *\([0-9]*\)).*(scl *3) (nx [0-9]*) 0x[0-9a-f]* \.text$/\1/p' | head -n1)"
  local sec value name
  while read -r sec value name; do
    [ "$sec" = "$textSection" ] && text[$value]="$name"
  done < <("$objdump" -t -C "$object" |
    sed -n 's/^\[ *[0-9]*\](sec *\([0-9]*\))(fl [^)]*)(ty *20)(scl *[0-9]*) (nx [0-9]*) 0x\([0-9a-f]*\) \(.*\)$/\1 \2 \3/p')
  local offset type target word slot
  while read -r offset type target; do
    [[ "$offset" =~ ^[0-9a-f]{8}$ ]] || continue
    slot=$(( (16#$offset - 8) / 4 ))
    [ "$slot" -ge 0 ] || continue
    if [ "$target" = ".text" ]; then
      word="${words[$(( 16#$offset / 4 ))]}"
      target="${text[${word:6:2}${word:4:2}${word:2:2}${word:0:2}]:-?}"
    fi
    target="${target%%(*}"
    echo "${target##*::}"
  done < <("$objdump" -r -C -j "$section" "$object")
  # Every word but offset-to-top carries a relocation (the type info, then the
  # slots): a word without one is a slot with no function.
  [ $(( ${#words[@]} - 1 )) -eq "$("$objdump" -r -j "$section" "$object" | grep -c 'dir32')" ] ||
    fail "$vtable in $object has a slot without a function"
}

# Compares one table with the expected names.
check() {
  local label="$1" object="$2" vtable="$3"
  shift 3
  local expected actual
  expected="$(printf '%s\n' "$@")"
  actual="$(slot_names "$object" "$vtable")"
  if [ "$actual" != "$expected" ]; then
    echo "FAIL: $label: the slots differ from the host's table (< expected, > built)" >&2
    diff <(echo "$expected" | nl -ba) <(echo "$actual" | nl -ba) >&2 || true
    exit 1
  fi
  echo "$label: $# slots in the host's order"
}

core="$build/CMakeFiles/chorister_core.dir"
check "QSTypeDefinition" "$build/hostsdk/CMakeFiles/hostsdk.dir/QSTypeDefinition.cpp.obj" _ZTV16QSTypeDefinition "${base[@]}"
check "ventrilo" "$core/module/Chorister.cpp.obj" _ZTV15QSDeletableTypeI12VentriloTypeE "${base[@]}"
check "ventriloelement" "$core/module/Chorister.cpp.obj" _ZTV15QSDeletableTypeI19VentriloElementTypeE "${base[@]}"
for pair in ventriloinstance:20VentriloInstanceType ventrilochannel:19VentriloChannelType \
            ventriloserver:18VentriloServerType ventrilouser:16VentriloUserType; do
  check "${pair%%:*}" "$core/module/Chorister.cpp.obj" "_ZTV15QSDeletableTypeI${pair#*:}E" "${inheriting[@]}"
done
check "Chorister (QSModuleInterface)" "$core/module/Chorister.cpp.obj" _ZTV9Chorister "${module[@]}"
