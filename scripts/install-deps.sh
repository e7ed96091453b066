#!/usr/bin/env bash
# Installs what building, running and testing need, from Debian's packages. Installs only what is
# missing, so a prepared machine pays nothing. Works as root and, through sudo, as an ordinary user.
# With --release it installs, in addition, what only scripts/release.sh needs.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ clang-14 libclang-rt-14-dev clang-format zlib1g-dev
  googletest libbenchmark-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth imagemagick x11-apps
  fonts-wine fonts-ipafont-gothic locales
  osslsigncode openssl
)
# The end-to-end round trip through a real SMB server and client (a private smbd of the test's own).
PACKAGES+=(samba smbclient python3-samba)
# The guide is rendered with cmark-gfm (its tables), the release zipped, and the rendered page
# looked at in a headless browser.
RELEASE_PACKAGES=(cmark-gfm zip chromium)
if [ "${1:-}" = --release ]; then PACKAGES+=("${RELEASE_PACKAGES[@]}"); fi

if [ "$(id -u)" -eq 0 ]; then SUDO=(); else SUDO=(sudo); fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  # Samba's maintainer scripts would start the system's smbd and nmbd (port 445) and enable them
  # for the next boot; the tests need neither. A policy that forbids every service start is put in
  # place for the install when the machine has none of its own.
  own_policy=
  if [ ! -e /usr/sbin/policy-rc.d ]; then
    printf '#!/bin/sh\nexit 101\n' | "${SUDO[@]}" tee /usr/sbin/policy-rc.d >/dev/null
    "${SUDO[@]}" chmod 755 /usr/sbin/policy-rc.d
    own_policy=1
  fi
  status=0
  "${SUDO[@]}" apt-get update -qq || status=$?
  [ $status -ne 0 ] || "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    --no-install-recommends "${missing[@]}" >/dev/null || status=$?
  if [ -n "$own_policy" ]; then "${SUDO[@]}" rm -f /usr/sbin/policy-rc.d; fi
  [ $status -eq 0 ] || exit $status
  if [ -d /run/systemd/system ] && printf '%s\n' "${missing[@]}" | grep -qx samba; then
    "${SUDO[@]}" systemctl disable --now smbd nmbd samba-ad-dc >/dev/null 2>&1 || true
  fi
fi

# Wine takes its code page (932) and its Japanese system texts from the Unix locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "Generating the ja_JP.UTF-8 locale"
  "${SUDO[@]}" localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
