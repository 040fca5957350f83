#!/usr/bin/env bash
# Sourced: starts a private Xvfb (1024 x 768 x 24) and a persistent wineserver for the prefix, and
# stops both when the calling script exits. Sets DISPLAY.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/session-common.sh"
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"

# Sessions started side by side may pick the same free number at once: the display is ours only
# when its lock file names our server.
for _ in 1 2 3 4 5; do
  display_number=$(free_display $((90 + (RANDOM + BASHPID) % 400)))
  Xvfb ":${display_number}" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":${display_number}"
  wait_for_display
  [ "$(tr -d ' \n' <"/tmp/.X${display_number}-lock" 2>/dev/null)" == "$xvfb_pid" ] && break
  kill "$xvfb_pid" 2>/dev/null || true
done
keep_wine_server "$xvfb_pid"
