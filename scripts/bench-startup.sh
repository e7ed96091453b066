#!/usr/bin/env bash
# Start-up benchmark: a bare window, the floor (the dialog's controls built plainly) and
# qvsetshare.exe, on a warm wineserver. Prints medians over the runs (default 9).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${QV_BUILD_DIR:-$ROOT/build}
"$ROOT/scripts/install-deps.sh"
"$ROOT/scripts/build.sh" win
source "$ROOT/scripts/wine-env.sh"
trap qv_wine_down EXIT
qv_wine_up "$BUILD/bench-wine"
BENCH=$BUILD/win/bench/startup
wine "$BENCH/startup_bench.exe" "$BENCH/bare_window.exe" "$BENCH/floor_window.exe" \
  "$BUILD/win/src/win/qvsetshare.exe" "${1:-9}"
