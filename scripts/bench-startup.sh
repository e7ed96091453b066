#!/usr/bin/env bash
# Start-up benchmark: qvsetshare.exe against a bare window, on a warm wineserver.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${QV_BUILD_DIR:-$ROOT/build}
"$ROOT/scripts/install-deps.sh"
"$ROOT/scripts/build.sh" win
source "$ROOT/scripts/wine-env.sh"
trap qv_wine_down EXIT
qv_wine_up "$BUILD/bench-wine"
wine "$BUILD/win/bench/startup/startup_bench.exe" "$BUILD/win/src/win/qvsetshare.exe" \
  "$BUILD/win/bench/startup/bare_window.exe" "${1:-9}"
