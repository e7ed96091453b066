#!/usr/bin/env bash
# Configures and builds the trees under build/: host, asan, fuzz, win (default: all of them).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${QV_BUILD_DIR:-$ROOT/build}
JOBS=${QV_JOBS:-$(nproc)}

configure() {  # name, extra cmake arguments...
  local name=$1
  shift
  if [ ! -f "$BUILD/$name/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BUILD/$name" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  fi
  echo "== building $name"
  ninja -C "$BUILD/$name" -j "$JOBS" --quiet
}

build_tree() {
  case "$1" in
    host) configure host ;;
    asan) configure asan -DQV_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug ;;
    fuzz) configure fuzz -DQV_FUZZ=ON -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 ;;
    win) configure win -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" ;;
    *) echo "unknown tree: $1" >&2; return 2 ;;
  esac
}

trees=("$@")
[ ${#trees[@]} -gt 0 ] || trees=(host asan fuzz win)
for t in "${trees[@]}"; do build_tree "$t"; done
