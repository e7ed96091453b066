#!/bin/bash
# The layers of src/, lowest first: a file may include its own folder and the folders below it,
# never one above. The portable core (everything but win/) thus never sees the Windows layer.
set -u
src=${1:?usage: check_layering.sh <src folder>}
layers=(framework security controls share reach dialog app win)
rank() {
  local i
  for i in "${!layers[@]}"; do [[ ${layers[$i]} == "$1" ]] && { echo "$i"; return; }; done
  echo -1
}
status=0
while IFS= read -r file; do
  rel=${file#"$src"/}
  own=$(rank "${rel%%/*}")
  if [[ $own -lt 0 ]]; then
    echo "$rel: its folder is in no layer" >&2
    status=1
    continue
  fi
  while IFS= read -r included; do
    other=$(rank "${included%%/*}")
    if [[ $other -lt 0 || $other -gt $own ]]; then
      echo "$rel includes $included, which stands above it" >&2
      status=1
    fi
  done < <(sed -n 's/^#include "\([^"]*\/[^"]*\)".*/\1/p' "$file")
done < <(find "$src" -mindepth 2 -name '*.cpp' -o -mindepth 2 -name '*.h')
exit $status
