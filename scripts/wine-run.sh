#!/usr/bin/env bash
# ctest's emulator for the Windows build: runs a .exe under the Wine environment that
# scripts/wine-env.sh prepared (scripts/test.sh does this before it starts ctest).
if [ -z "${WINEPREFIX:-}" ] || [ ! -d "$WINEPREFIX" ]; then
  echo "wine-run.sh: no Wine prefix; run the tests through scripts/test.sh" >&2
  exit 125
fi
exec wine "$@"
