#!/usr/bin/env bash
# Start-up benchmark: a bare window, the floor (the dialog's controls built plainly) and
# qvsetshare.exe, stripped as shipped, on a warm wineserver. Prints medians over the runs
# (default 9).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${QV_BUILD_DIR:-$ROOT/build}
"$ROOT/scripts/install-deps.sh"
"$ROOT/scripts/build.sh" win
source "$ROOT/scripts/wine-env.sh"
trap qv_wine_down EXIT
qv_wine_up "$BUILD/bench-wine"
BENCH=$BUILD/win/bench/startup
# Measured as shipped: stripped copies. Wine copies these images (their sections are aligned to
# 512 bytes, not to pages) into private memory, debug sections and all: unstripped, the program
# would be charged with megabytes of debug information that no user's copy carries.
SHIPPED=$BUILD/bench-startup
mkdir -p "$SHIPPED"
for exe in "$BENCH/bare_window.exe" "$BENCH/floor_window.exe" "$BUILD/win/src/win/qvsetshare.exe"; do
  x86_64-w64-mingw32-strip --strip-all -o "$SHIPPED/$(basename "$exe")" "$exe"
done
wine "$BENCH/startup_bench.exe" "$SHIPPED/bare_window.exe" "$SHIPPED/floor_window.exe" \
  "$SHIPPED/qvsetshare.exe" "${1:-9}"
