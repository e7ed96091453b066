#!/usr/bin/env bash
# Builds qvsetshare.exe and runs it under Wine. With a working display the window opens there;
# without one it runs on a virtual display, saves a screenshot (PNG), prints its path and closes.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${QV_BUILD_DIR:-$ROOT/build}
export QV_BUILD_DIR=$BUILD

"$ROOT/scripts/install-deps.sh"
"$ROOT/scripts/build.sh" win
EXE=$BUILD/win/src/win/qvsetshare.exe
DRIVER=$BUILD/win/tests/e2e/driver/qvdriver.exe
CAPTION="共有フォルダの設定"

if [ -n "${DISPLAY:-}" ] && xset q >/dev/null 2>&1; then
  export QV_WINE_DISPLAY=host
fi
# shellcheck source=wine-env.sh
source "$ROOT/scripts/wine-env.sh"
trap qv_wine_down EXIT
echo "== preparing Wine (fresh prefix, Japanese locale)"
qv_wine_up "$BUILD/run-wine"

if [ "${QV_WINE_DISPLAY:-}" = host ]; then
  echo "== running qvsetshare.exe on $DISPLAY (close the window to end)"
  wine "$EXE"
  exit 0
fi

echo "== no display: running qvsetshare.exe on a virtual display"
timeout 120 wine "$EXE" &
tool=$!
timeout 60 wine "$DRIVER" wait-window "$CAPTION" 30000 >/dev/null
sleep 1
mkdir -p "$BUILD/screenshots"
SHOT=$BUILD/screenshots/qvsetshare.png
import -window root -display "$DISPLAY" "$SHOT"
echo "Screenshot: $SHOT"
timeout 30 wine "$DRIVER" close "$CAPTION" >/dev/null || kill "$tool" 2>/dev/null || true
wait "$tool" || true
