#!/usr/bin/env bash
# The exe must run on a clean Windows: it may import only DLLs that ship with Windows itself.
set -euo pipefail
exe=$1
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|OLE32|COMCTL32|NETAPI32|VERSION|PSAPI|msvcrt|api-ms-win-crt-[a-z0-9-]+)\.dll$'
dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
echo "imports:" $dlls
bad=$(echo "$dlls" | grep -viE "$allowed" || true)
if [ -n "$bad" ]; then
  echo "not a Windows DLL: $bad" >&2
  exit 1
fi
