#!/usr/bin/env bash
# The release's signing step with a throw-away certificate made here: the signed exe passes
# `osslsigncode verify` against that certificate, removing the signature gives back the exe as
# shipped unsigned byte for byte (the file a rebuild is compared with), no certificate leaves the
# exe unsigned and says so, and a wrong password fails rather than ship an unsigned exe.
# Usage: check_signing.sh <source dir> <qvsetshare.exe as built>
set -uo pipefail
SRC=$1
BUILT=$2
for tool in osslsigncode openssl; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is missing (scripts/install-deps.sh installs it)"
    exit 77
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

SOURCE_DATE_EPOCH=0 x86_64-w64-mingw32-strip --strip-all -o "$work/unsigned.exe" "$BUILT"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Throwaway Test Publisher" \
  -addext "extendedKeyUsage=codeSigning" -keyout "$work/key.pem" -out "$work/cert.pem" \
  2>"$work/openssl.log" || { cat "$work/openssl.log"; exit 1; }
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/release.pfx" \
  -passout pass:'pa ss"word' || exit 1

# Signed.
RELEASE_PFX=$work/release.pfx RELEASE_PFX_PASSWORD='pa ss"word' \
  "$SRC/scripts/sign-exe.sh" "$work/unsigned.exe" "$work/signed.exe"
status=$?
[ "$status" -eq 0 ] || fail "signing ended with $status"
if osslsigncode verify -in "$work/signed.exe" -CAfile "$work/cert.pem" >"$work/verify.log" 2>&1; then
  grep -q "Throwaway Test Publisher" "$work/verify.log" || fail "verify does not name the signer"
else
  cat "$work/verify.log"
  fail "osslsigncode verify refused the signed exe"
fi
cmp -s "$work/unsigned.exe" "$work/signed.exe" && fail "the signed exe is the unsigned one"
osslsigncode remove-signature -in "$work/signed.exe" -out "$work/stripped.exe" >/dev/null ||
  fail "the signature could not be removed"
if ! cmp "$work/unsigned.exe" "$work/stripped.exe"; then
  fail "without its signature the exe is not the unsigned exe byte for byte"
fi

# No certificate: unsigned, and said so.
env -u RELEASE_PFX "$SRC/scripts/sign-exe.sh" "$work/unsigned.exe" "$work/plain.exe" \
  2>"$work/plain.log"
status=$?
[ "$status" -eq 3 ] || fail "without a certificate signing ended with $status, not 3"
grep -q "NOT signed" "$work/plain.log" || fail "without a certificate nothing says it is unsigned"
cmp -s "$work/unsigned.exe" "$work/plain.exe" || fail "the unsigned copy differs from its source"
osslsigncode verify -in "$work/plain.exe" >/dev/null 2>&1 && fail "the unsigned copy verifies"

# A wrong password is a failure, never an unsigned release.
RELEASE_PFX=$work/release.pfx RELEASE_PFX_PASSWORD=wrong \
  "$SRC/scripts/sign-exe.sh" "$work/unsigned.exe" "$work/wrong.exe" 2>/dev/null
status=$?
{ [ "$status" -ne 0 ] && [ "$status" -ne 3 ]; } || fail "a wrong password ended with $status"

[ "$failures" -eq 0 ] && echo "signed, verified, and the same exe without the signature"
exit $((failures > 0))
