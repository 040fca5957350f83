#!/usr/bin/env bash
# Sourced: starts a private Xvfb (1024 x 768 x 24) and a persistent wineserver for the prefix, and
# stops both when the calling script exits. Sets DISPLAY.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# Wine maps file names through the locale: without UTF-8 a folder named in Japanese cannot even
# be opened. C.UTF-8 exists on every Debian, whatever the caller's shell has.
export LC_ALL=C.UTF-8

display_number=$(( 90 + RANDOM % 400 ))
while [ -e "/tmp/.X${display_number}-lock" ]; do display_number=$((display_number + 1)); done
Xvfb ":${display_number}" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":${display_number}"
for _ in $(seq 50); do
  xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && break
  sleep 0.1
done

# Make sure the prefix exists before the server is kept alive for it.
"$root/scripts/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true
wineserver -p >/dev/null 2>&1 &

stop_session() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap stop_session EXIT
