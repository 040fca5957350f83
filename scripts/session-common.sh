#!/usr/bin/env bash
# Sourced by the X session scripts: an X server on a free display, and a persistent wineserver
# for the prefix that goes, with the X server, when the caller exits.
# Wine maps file names through the locale: without UTF-8 a folder named in Japanese cannot even
# be opened. C.UTF-8 exists on every Debian, whatever the caller's shell has.
export LC_ALL=C.UTF-8
export WINEDEBUG="${WINEDEBUG:--all}"

# Starts an X server on a free display, the first tried from FIRST up, and waits for it. Sessions
# started side by side may pick the same number at once: the display is ours only when its lock
# file names our server. Sets DISPLAY and x_pid.
start_x_server() { # first, server program, its arguments after the display
  local n
  for _ in 1 2 3 4 5; do
    n=$(($1 + (RANDOM + BASHPID) % 400))
    while [ -e "/tmp/.X${n}-lock" ]; do n=$((n + 1)); done
    "$2" ":$n" "${@:3}" >/dev/null 2>&1 &
    x_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" == "$x_pid" ] && return 0
    kill "$x_pid" 2>/dev/null || true
  done
  echo "no X server ($2) could be started on a display of its own" >&2
  return 1
}

keep_wine_server() { # the X server's pid
  session_x_pid=$1
  # Make sure the prefix exists before the server is kept alive for it.
  "$root/scripts/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true
  wineserver -p >/dev/null 2>&1 &
  trap stop_session EXIT
  # Interrupted (Ctrl-C, or the test command ending the lane): leave through the same clean-up.
  trap 'exit 130' INT
  trap 'exit 143' TERM
}

stop_session() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$session_x_pid" >/dev/null 2>&1 || true
}
