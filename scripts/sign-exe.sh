#!/usr/bin/env bash
# Signs the release's exe with Authenticode when a certificate is given, and says plainly when it
# is not. The signature is appended to the exe: removing it gives back the unsigned file byte for
# byte, which is the file a rebuild from the sources can be compared with.
# Usage: sign-exe.sh <unsigned exe> <signed exe>
# From the environment:
#   RELEASE_PFX            the certificate and its private key (PKCS#12, .pfx)
#   RELEASE_PFX_PASSWORD   its password (read through a pipe, never on a command line)
#   RELEASE_TIMESTAMP_URL  optional: an RFC 3161 time-stamp server; with it the signature stays
#                          valid after the certificate expires
# Exit: 0 signed; 3 no certificate given (the exe is copied unsigned); anything else a failure.
set -euo pipefail
IN=$1
OUT=$2
if [ -z "${RELEASE_PFX:-}" ]; then
  cp "$IN" "$OUT"
  echo "sign-exe.sh: no certificate (RELEASE_PFX): the exe is NOT signed;" \
    "Windows shows 発行元: 不明 for it" >&2
  exit 3
fi
[ -r "$RELEASE_PFX" ] || { echo "sign-exe.sh: cannot read $RELEASE_PFX" >&2; exit 1; }
command -v osslsigncode >/dev/null ||
  { echo "sign-exe.sh: osslsigncode is missing (scripts/install-deps.sh)" >&2; exit 1; }
timestamp=()
if [ -n "${RELEASE_TIMESTAMP_URL:-}" ]; then timestamp=(-ts "$RELEASE_TIMESTAMP_URL"); fi
rm -f "$OUT"
# The description is what UAC shows as the program's name beside the publisher.
osslsigncode sign -pkcs12 "$RELEASE_PFX" -readpass <(printf '%s' "${RELEASE_PFX_PASSWORD:-}") \
  -h sha256 -n "共有フォルダの設定" "${timestamp[@]}" -in "$IN" -out "$OUT" >/dev/null
echo "sign-exe.sh: signed with $(basename "$RELEASE_PFX")${timestamp[*]:+, time-stamped}" >&2
