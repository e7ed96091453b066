#!/usr/bin/env bash
# Builds every tree and runs every test: host unit tests, the same under ASan+UBSan, the bounded
# fuzz run, the Windows-layer tests and the end-to-end tests under Wine. Ends with ctest's summary.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${QV_BUILD_DIR:-$ROOT/build}
export QV_BUILD_DIR=$BUILD

"$ROOT/scripts/install-deps.sh"
"$ROOT/scripts/build.sh" host asan fuzz win

# shellcheck source=wine-env.sh
source "$ROOT/scripts/wine-env.sh"
trap qv_wine_down EXIT
echo "== preparing Wine (fresh prefix, Japanese locale, virtual display)"
qv_wine_up "$BUILD/wine"

# One ctest run over all trees, so that one summary closes the run.
cat >"$BUILD/CTestTestfile.cmake" <<CTEST
subdirs("host" "asan" "fuzz" "win")
CTEST
cd "$BUILD"
ctest --output-on-failure -j "${QV_JOBS:-2}" --timeout 600
