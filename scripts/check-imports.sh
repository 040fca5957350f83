#!/usr/bin/env bash
# Fails unless the executable is a 32-bit GUI program importing only Windows' own DLLs.
set -euo pipefail
exe=$1
file "$exe" | grep -q 'PE32 executable (GUI) Intel 80386' || { echo "$exe: not an i686 GUI PE32"; exit 1; }
dlls=$(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print tolower($3)}' | sort -u)
allowed='^(kernel32|user32|gdi32|winmm|msvcrt|comctl32|comdlg32|shell32|ole32|advapi32)\.dll$'
bad=$(echo "$dlls" | grep -Ev "$allowed" || true)
if [ -n "$bad" ]; then
  echo "$exe imports DLLs that are not Windows' own:"; echo "$bad"; exit 1
fi
echo "$exe: $(stat -c %s "$exe") bytes, imports: $(echo $dlls)"
