#!/usr/bin/env bash
# Points the PE header's load-configuration entry (data directory 10) at the structure named
# _load_config_used. Debian 12's linker (binutils 2.40) places the structure but leaves the entry
# empty, and the loader reads only what the entry points at.
# Usage: set_load_configuration.sh <exe>
set -euo pipefail
exe=$1
headers=$(x86_64-w64-mingw32-objdump -p "$exe")
base=$((16#$(sed -n 's/^ImageBase[[:space:]]*//p' <<<"$headers")))
address=$(x86_64-w64-mingw32-nm "$exe" | awk '$3 == "_load_config_used" { print $1 }')
if [ -z "$address" ]; then
  echo "$exe has no _load_config_used" >&2
  exit 1
fi
rva=$((16#$address - base))

# The structure's own first field is its size; find its place in the file by its section.
offset=
while read -r index name length vma lma fileoff _; do
  [[ $index =~ ^[0-9]+$ ]] || continue
  start=$((16#$vma - base))
  if [ $rva -ge $start ] && [ $rva -lt $((start + 16#$length)) ]; then
    offset=$((16#$fileoff + rva - start))
    break
  fi
done < <(x86_64-w64-mingw32-objdump -h -w "$exe")
[ -n "$offset" ] || { echo "_load_config_used lies in no section" >&2; exit 1; }
size=$(od -An -tu4 -j "$offset" -N4 "$exe" | tr -d ' ')

pe=$(od -An -tu4 -j 60 -N4 "$exe" | tr -d ' ')
magic=$(od -An -tx2 -j $((pe + 24)) -N2 "$exe" | tr -d ' ')
[ "$magic" = "020b" ] || { echo "$exe is not PE32+" >&2; exit 1; }
# Signature (4), file header (20), the PE32+ fields before the directories (112), 10 entries.
entry=$((pe + 4 + 20 + 112 + 10 * 8))
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) \
  $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
# shellcheck disable=SC2059
printf "$(le32 $rva)$(le32 "$size")" | dd of="$exe" bs=1 seek=$entry conv=notrunc status=none
