#!/usr/bin/env bash
# Makes the release from the committed sources: a fresh Windows build under build/release, the
# guide's pictures taken from that very build under Wine, and
#   dist/qvsetshare-<version>/      qvsetshare.exe (stripped), guide-ja.html, images/, SHA256SUMS
#   dist/qvsetshare-<version>.zip   that folder, with fixed file order, times and modes
# Two runs on the same commit, on any machine with Debian 12's packages, give the same files,
# the exe before its signature included. With RELEASE_PFX and RELEASE_PFX_PASSWORD (and optionally
# RELEASE_TIMESTAMP_URL) in the environment the exe is signed (scripts/sign-exe.sh); without
# them the release is made unsigned and says so.
# A picture of the rendered guide is left in build/release/guide-page.png for a look before
# shipping; it is not part of the release.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${QV_BUILD_DIR:-$ROOT/build}
export QV_BUILD_DIR=$BUILD
JOBS=${QV_JOBS:-2}
TREE=$BUILD/release
# The display scalings the guide's pictures are taken at; a scaling added here lands in
# images/<dpi>dpi/ beside the others.
GUIDE_DPIS=(96 144)

"$ROOT/scripts/install-deps.sh" --release

cd "$ROOT"
if [ -n "$(git status --porcelain --untracked-files=normal)" ] && [ "${QV_RELEASE_DIRTY:-}" != 1 ]; then
  echo "release.sh: the work tree has changes that are not committed; a release is made only" >&2
  echo "from a commit (QV_RELEASE_DIRTY=1 makes one anyway, for trying the script out)" >&2
  exit 1
fi
# Every time stamp in the release is the commit's, so that the date of the run leaves no trace.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH
VERSION=$(sed -n 's/^project(qvsetshare VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$VERSION" ] || { echo "release.sh: no version in CMakeLists.txt" >&2; exit 1; }
NAME=qvsetshare-$VERSION
OUT=$ROOT/dist/$NAME

echo "== building $NAME in a fresh tree ($TREE)"
rm -rf "$TREE"
cmake -S "$ROOT" -B "$TREE" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
ninja -C "$TREE" -j "$JOBS" --quiet qvsetshare qv_e2e_tests

echo "== taking the guide's pictures from the program under Wine"
# shellcheck source=wine-env.sh
source "$ROOT/scripts/wine-env.sh"
trap qv_wine_down EXIT
for dpi in "${GUIDE_DPIS[@]}"; do
  qv_wine_up "$TREE/wine"
  if [ "$dpi" != 96 ]; then
    timeout 60 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
      >/dev/null
  fi
  rm -rf "$TREE/screenshots/guide/${dpi}dpi"
  (cd "$TREE" && timeout 300 wine tests/e2e/qv_e2e_tests.exe --gtest_filter='GuideScreenshots.*')
  qv_wine_down
done
trap - EXIT

echo "== writing dist/$NAME"
rm -rf "$OUT" "$OUT.zip"
mkdir -p "$OUT"
# Strip writes the current time (or SOURCE_DATE_EPOCH) into the PE header, undoing the linker's
# --no-insert-timestamp; 0 keeps the header as linked, so the exe does not depend on the commit's
# date and a plain rebuild and strip (README.md) gives the same file.
UNSIGNED=$TREE/unsigned/qvsetshare.exe
mkdir -p "$(dirname "$UNSIGNED")"
SOURCE_DATE_EPOCH=0 x86_64-w64-mingw32-strip --strip-all -o "$UNSIGNED" \
  "$TREE/src/win/qvsetshare.exe"
SIGNED=yes
"$ROOT/scripts/sign-exe.sh" "$UNSIGNED" "$OUT/qvsetshare.exe" || {
  status=$?
  [ "$status" -eq 3 ] || exit "$status"
  SIGNED=no
}

for dpi in "${GUIDE_DPIS[@]}"; do
  shots=$TREE/screenshots/guide/${dpi}dpi
  mkdir -p "$OUT/images/${dpi}dpi"
  count=0
  for bmp in "$shots"/*.bmp; do
    [ -e "$bmp" ] || continue
    # No text chunks: ImageMagick would write the conversion's date into the file.
    convert "$bmp" -strip -define png:exclude-chunks=date,time \
      "$OUT/images/${dpi}dpi/$(basename "${bmp%.bmp}").png"
    count=$((count + 1))
  done
  [ "$count" -eq 6 ] || { echo "release.sh: $count pictures at $dpi DPI, 6 expected" >&2; exit 1; }
done

# Every picture the guide names must be there, and every picture there must be named.
referenced=$(grep -o 'images/[^)]*\.png' docs/guide-ja.md | LC_ALL=C sort -u)
present=$(cd "$OUT" && find images -name '*.png' | LC_ALL=C sort)
if [ "$referenced" != "$present" ]; then
  echo "release.sh: the guide's pictures and the pictures taken differ:" >&2
  diff <(echo "$referenced") <(echo "$present") >&2 || true
  exit 1
fi
# The body goes through the environment: awk -v would take the backslashes of the paths as escapes.
GUIDE_BODY=$(cmark-gfm --to html -e table docs/guide-ja.md) \
  awk '$0 == "<!-- guide -->" { print ENVIRON["GUIDE_BODY"]; next } { print }' \
  docs/guide-template.html >"$OUT/guide-ja.html"
grep -qF '\\KEIRI-PC\VeltoData' "$OUT/guide-ja.html" ||
  { echo "release.sh: the guide's paths lost their backslashes" >&2; exit 1; }

(cd "$OUT" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort |
  xargs sha256sum >SHA256SUMS)
# The exe before its signature, on a line of its own: what a rebuild from the sources gives, and
# what the signed exe gives back when its signature is removed. The name is no file of the folder,
# so `sha256sum -c --ignore-missing` passes over it.
echo "$(sha256sum <"$UNSIGNED" | cut -d' ' -f1)  unsigned/qvsetshare.exe" >>"$OUT/SHA256SUMS"

# The zip: fixed modes, the commit's time on every file, names in byte order, no extra fields
# (-X) and no entries for folders (-D). Zip stores local time, so the zone is fixed too.
find "$OUT" -type d -exec chmod 755 {} +
find "$OUT" -type f -exec chmod 644 {} +
find "$OUT" -exec env TZ=UTC touch -h -d "@$SOURCE_DATE_EPOCH" {} +
(cd "$ROOT/dist" && find "$NAME" -type f | LC_ALL=C sort |
  TZ=UTC zip -q -X -D -@ "$NAME.zip")
TZ=UTC touch -d "@$SOURCE_DATE_EPOCH" "$OUT.zip"

echo "== a look at the rendered guide: $TREE/guide-page.png"
chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --force-device-scale-factor=1 \
  --screenshot="$TREE/guide-page.png" --window-size=1200,10000 "file://$OUT/guide-ja.html" \
  >"$TREE/chromium.log" 2>&1 || echo "chromium could not take the picture; see $TREE/chromium.log"

echo
echo "Release: $OUT"
echo "         $OUT.zip"
(cd "$OUT" && cat SHA256SUMS)
echo "zip: $(sha256sum "$OUT.zip" | cut -d' ' -f1)"
if [ "$SIGNED" = yes ]; then
  echo "qvsetshare.exe is signed (Authenticode)."
else
  echo "qvsetshare.exe is NOT signed: no certificate was given (RELEASE_PFX)."
fi
