#!/usr/bin/env bash
# /probe end to end: the real program saves through a UNC path that Wine serves from a folder of
# the prefix (dosdevices/unc/<server>/<share>), as it would through a share of another computer.
#   probe_e2e.sh <wine-run> <qvsetshare.exe> passes|missing|readonly
# Exit 77 (skipped) where a read-only mount is not allowed.
set -u
run=$1 exe=$2 what=$3
[ -n "${WINEPREFIX:-}" ] || { echo "no Wine prefix" >&2; exit 125; }
unc=$WINEPREFIX/dosdevices/unc/pc1
work=$(mktemp -d "${TMPDIR:-/tmp}/qvprobe.XXXXXX")
mkdir -p "$unc" "$work/share"
out=$work/out.txt
mounted=
cleanup() {
  [ -n "$mounted" ] && umount "$work/share"
  rm -f "$unc/QvProbe"
  rm -rf "$work"
}
trap cleanup EXIT
ln -sfn "$work/share" "$unc/QvProbe"

fail() { echo "FAIL: $*" >&2; iconv -f CP932 -t UTF-8 "$out" >&2; exit 1; }

case $what in
  passes) target='\\pc1\QvProbe'; expect=0 ;;
  missing) target='\\pc1\QvNoSuchShare'; expect=10 ;;
  readonly)
    if ! mount -t tmpfs -o ro,size=1m tmpfs "$work/share" 2>/dev/null; then
      echo "SKIP: mounting a read-only tmpfs is not allowed here"
      exit 77
    fi
    mounted=1
    target='\\pc1\QvProbe'; expect=11 ;;
  *) echo "unknown case $what" >&2; exit 2 ;;
esac

"$run" "$exe" /probe "$target" >"$out" 2>/dev/null
code=$?
text=$(iconv -f CP932 -t UTF-8 "$out" | tr -d '\r')
echo "$text"
echo "exit code: $code"
[ "$code" -eq "$expect" ] || fail "exit $code, expected $expect"
[ -z "$(ls -A "$work/share")" ] || fail "left on the share: $(ls -A "$work/share")"
first=$(echo "$text" | head -1)
[ "$first" = "接続先: $target" ] || fail "first line: $first"
case $what in
  passes)
    for step in "作成: 成功" "書き込み (1 MB): 成功" "読み戻しと比較 (1 MB): 成功" "削除: 成功"; do
      echo "$text" | grep -q "^$step" || fail "no line: $step"
    done
    [ "$(echo "$text" | tail -1)" = "判定: この共有フォルダに保存できます。" ] || fail verdict ;;
  missing)
    echo "$text" | grep -qx "原因: その共有名の共有フォルダがありません。" || fail cause
    [ "$(echo "$text" | tail -1)" = "判定: この共有フォルダに接続できません。" ] || fail verdict ;;
  readonly)
    echo "$text" | grep -qx "原因: 共有フォルダまたはフォルダに書き込みが許可されていません。" || fail cause
    [ "$(echo "$text" | tail -1)" = "判定: 接続できますが、保存できません。" ] || fail verdict ;;
esac
echo "ok"
