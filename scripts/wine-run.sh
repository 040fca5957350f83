#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's private prefix (build/wineprefix), creating the
# prefix on first use. ctest uses this as the emulator for the Windows test programs.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# Wine maps file names through the locale: without UTF-8 a folder named in Japanese cannot even
# be opened. C.UTF-8 exists on every Debian, whatever the caller's shell has.
export LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}" # no Mono or Gecko prompts
export WINEARCH=win64
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >"$WINEPREFIX.boot.log" 2>&1
  wineserver -w
fi
exec wine "$@"
