#!/usr/bin/env bash
# Sourced by the X session scripts: a free display number, the wait for a new X server, and a
# persistent wineserver for the prefix that goes, with the X server, when the caller exits.
# Wine maps file names through the locale: without UTF-8 a folder named in Japanese cannot even
# be opened. C.UTF-8 exists on every Debian, whatever the caller's shell has.
export LC_ALL=C.UTF-8
export WINEDEBUG="${WINEDEBUG:--all}"

free_display() { # first candidate
  local n=$1
  while [ -e "/tmp/.X${n}-lock" ]; do n=$((n + 1)); done
  echo "$n"
}

wait_for_display() {
  for _ in $(seq 100); do
    xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
}

keep_wine_server() { # the X server's pid
  session_x_pid=$1
  # Make sure the prefix exists before the server is kept alive for it.
  "$root/scripts/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true
  wineserver -p >/dev/null 2>&1 &
  trap stop_session EXIT
}

stop_session() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$session_x_pid" >/dev/null 2>&1 || true
}
