#!/usr/bin/env bash
# Runs a command with \\localhost\QvReadOnly and \\pc1\QvReadOnly served from a read-only tmpfs
# in the Wine prefix (the tests run as root, so file modes alone would not stop a write).
# Exit 77 (skipped) where this machine does not allow mounting.
set -u
[ -n "${WINEPREFIX:-}" ] || { echo "no Wine prefix" >&2; exit 125; }
unc=$WINEPREFIX/dosdevices/unc
mnt=$unc/localhost/QvReadOnly
mkdir -p "$mnt" "$unc/pc1"
ln -sfn "$mnt" "$unc/pc1/QvReadOnly"
if ! mount -t tmpfs -o ro,size=1m tmpfs "$mnt" 2>/dev/null; then
  echo "SKIP: mounting a read-only tmpfs is not allowed here"
  rm -f "$unc/pc1/QvReadOnly"
  exit 77
fi
cleanup() {
  umount "$mnt" 2>/dev/null
  rm -f "$unc/pc1/QvReadOnly"
  rmdir "$mnt" 2>/dev/null
}
trap cleanup EXIT
QV_READONLY_SHARE=QvReadOnly QV_READONLY_MOUNT=$mnt "$@"
status=$?
# Nothing may be left on the mount (it is read-only, but the check is the point of the test).
if [ -n "$(ls -A "$mnt")" ]; then
  echo "left behind on the share:" "$mnt"/* >&2
  status=1
fi
exit $status
