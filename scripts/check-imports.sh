#!/usr/bin/env bash
# Fails unless the executable is a 32-bit GUI program (or the installer's plugin a 32-bit DLL) that
# imports only Windows' own DLLs, and only functions on the reviewed list (scripts/xp-imports.txt),
# all of which Windows XP SP3 exports.
# Only DLLs that Windows loads from its own folder whatever lies beside the program may be imported
# by name (the known DLLs, and comctl32 through the manifest); any other, winmm say, would be taken
# from a copy beside the program first, so the program looks it up at run time instead.
set -euo pipefail
exe=$1
list=$(dirname "${BASH_SOURCE[0]}")/xp-imports.txt
case "$exe" in
  *.dll) kind='PE32 executable \(DLL\) .*Intel 80386' ;;
  *) kind='PE32 executable \(GUI\) Intel 80386' ;;
esac
file "$exe" | grep -Eq "$kind" || { echo "$exe: not an i686 PE32 ${exe##*.} (GUI for a program)"; exit 1; }
imports=$(i686-w64-mingw32-objdump -p "$exe" |
  awk '/DLL Name:/ {dll = tolower($3)} /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ {print dll, $3}' | sort -u)
dlls=$(echo "$imports" | awk '{print $1}' | sort -u)
allowed='^(kernel32|user32|gdi32|msvcrt|comctl32|comdlg32|shell32|ole32|oleaut32|advapi32)\.dll$'
bad=$(echo "$dlls" | grep -Ev "$allowed" || true)
if [ -n "$bad" ]; then
  echo "$exe imports DLLs that Windows may load from beside it:"; echo "$bad"; exit 1
fi
# The list itself: only versions up to XP.
late=$(grep -vE '^(#|$)' "$list" | awk '$3 !~ /^(95|NT4|2000|XP|XP-msvcrt)$/' || true)
if [ -n "$late" ]; then
  echo "$list names functions that need a Windows later than XP:"; echo "$late"; exit 1
fi
unknown=$(comm -23 <(echo "$imports") <(grep -vE '^(#|$)' "$list" | awk '{print $1, $2}' | sort -u))
if [ -n "$unknown" ]; then
  echo "$exe imports functions that are not on the reviewed list (scripts/xp-imports.txt):"
  echo "$unknown"
  exit 1
fi
# The program's first paint needs only these; comctl32, ole32 and the rest are looked up when first
# used, after the bar shows.
if [[ $exe != *.dll ]] && [ "$(echo $dlls)" != "gdi32.dll kernel32.dll msvcrt.dll user32.dll" ]; then
  echo "$exe imports more than the first paint needs: $(echo $dlls)"; exit 1
fi
if [[ $exe == *.dll ]]; then
  echo "$exe: $(stat -c %s "$exe") bytes, $(echo "$imports" | wc -l) imports, all on the XP list: $(echo $dlls)"
  exit 0 # a library's imports follow the search of the program that loads it
fi
# What the libraries it imports import in turn: the loader looks in the system folder only
# (DependentLoadFlags of the load configuration, a record of the 64 bytes Windows XP takes).
load_config=$(python3 - "$exe" <<'PY'
import struct, sys
d = open(sys.argv[1], "rb").read()
pe = struct.unpack_from("<I", d, 0x3C)[0]
rva, size = struct.unpack_from("<II", d, pe + 24 + 96 + 10 * 8)
count, optional = struct.unpack_from("<H", d, pe + 6)[0], struct.unpack_from("<H", d, pe + 20)[0]
for i in range(count):
    virtual_size, address, _, raw = struct.unpack_from("<IIII", d, pe + 24 + optional + 40 * i + 8)
    if rva and address <= rva < address + virtual_size:
        at = raw + rva - address
        print(size, struct.unpack_from("<I", d, at)[0], hex(struct.unpack_from("<H", d, at + 54)[0]))
        break
else:
    print("none")
PY
)
if [ "$load_config" != "64 64 0x800" ]; then
  echo "$exe: load configuration '$load_config', wanted '64 64 0x800' (size, record size, flags)"; exit 1
fi
echo "$exe: $(stat -c %s "$exe") bytes, $(echo "$imports" | wc -l) imports, all on the XP list: $(echo $dlls)"
