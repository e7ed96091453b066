#!/usr/bin/env bash
# Builds qvsetshare.exe a second time, from the same sources, in another folder, and compares the
# two as they are shipped (stripped): a release that anyone can rebuild gives the same SHA-256.
# Usage: check_reproducible.sh <source dir> <first build dir>
set -euo pipefail
SRC=$1
FIRST=$2
SECOND=$(cd "$FIRST/.." && pwd)/reproducibility-check-second-tree
rm -rf "$SECOND"
cmake -S "$SRC" -B "$SECOND" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$SRC/cmake/mingw-w64-x86_64.cmake" >/dev/null
ninja -C "$SECOND" -j "${QV_JOBS:-2}" --quiet qvsetshare
# As scripts/release.sh strips it: strip writes the current time into the PE header unless
# SOURCE_DATE_EPOCH says otherwise, and two strips a second apart would differ.
strip_copy() { SOURCE_DATE_EPOCH=0 x86_64-w64-mingw32-strip --strip-all -o "$2" "$1"; }
work=$(mktemp -d)
trap 'rm -rf "$work" "$SECOND"' EXIT
strip_copy "$FIRST/src/win/qvsetshare.exe" "$work/first.exe"
strip_copy "$SECOND/src/win/qvsetshare.exe" "$work/second.exe"
a=$(sha256sum "$work/first.exe" | cut -d' ' -f1)
b=$(sha256sum "$work/second.exe" | cut -d' ' -f1)
echo "first build:  $a  ($FIRST)"
echo "second build: $b  ($SECOND)"
if [ "$a" != "$b" ]; then
  cmp -l "$work/first.exe" "$work/second.exe" | head -20 || true
  echo "the two builds differ"
  exit 1
fi
echo "identical"
