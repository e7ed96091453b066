#!/usr/bin/env bash
# The exe runs as administrator, often started from a downloads folder. It may import statically
# only Known DLLs, which the loader takes from system32 whatever lies beside the exe (comctl32
# comes through side-by-side from the manifest), and its load configuration must tell the loader
# to take every DLL those import from system32 as well (DependentLoadFlags =
# LOAD_LIBRARY_SEARCH_SYSTEM32).
set -euo pipefail
exe=$1
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|msvcrt|SHELL32|OLE32|IMM32|COMCTL32)\.dll$'
headers=$(x86_64-w64-mingw32-objdump -p "$exe")
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
echo "imports:" $dlls
bad=$(grep -viE "$allowed" <<<"$dlls" || true)
if [ -n "$bad" ]; then
  echo "not a Known DLL: $bad" >&2
  exit 1
fi

# "Entry a <rva> <size> Load Configuration Directory"
read -r rva size < <(awk '/Load Configuration Directory/ { print $3, $4 }' <<<"$headers")
if [ -z "${rva:-}" ] || [ $((16#$rva)) -eq 0 ] || [ $((16#$size)) -lt $((0x50)) ]; then
  echo "no load configuration directory (rva=${rva:-none} size=${size:-none})" >&2
  exit 1
fi
# The file offset of that address, from the section that holds it.
base=$((16#$(sed -n 's/^ImageBase[[:space:]]*//p' <<<"$headers")))
offset=
while read -r index name length vma lma fileoff _; do
  [[ $index =~ ^[0-9]+$ ]] || continue
  start=$((16#$vma - base))
  if [ $((16#$rva)) -ge $start ] && [ $((16#$rva)) -lt $((start + 16#$length)) ]; then
    offset=$((16#$fileoff + 16#$rva - start))
    break
  fi
done < <(x86_64-w64-mingw32-objdump -h -w "$exe")
if [ -z "$offset" ]; then
  echo "the load configuration lies in no section" >&2
  exit 1
fi
declared=$(od -An -tu4 -j "$offset" -N4 "$exe" | tr -d ' ')
flags=$(od -An -tx2 -j $((offset + 0x4E)) -N2 "$exe" | tr -d ' ')
echo "load configuration: $declared bytes, DependentLoadFlags 0x$flags"
if [ "$declared" -lt $((0x50)) ] || [ "$flags" != "0800" ]; then
  echo "DependentLoadFlags is not LOAD_LIBRARY_SEARCH_SYSTEM32" >&2
  exit 1
fi
