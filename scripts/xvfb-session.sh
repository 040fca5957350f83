#!/usr/bin/env bash
# Sourced: starts a private Xvfb (1024 x 768 x 24) and a persistent wineserver for the prefix, and
# stops both when the calling script exits. Sets DISPLAY.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/session-common.sh"
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"

display_number=$(free_display $((90 + RANDOM % 400)))
Xvfb ":${display_number}" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":${display_number}"
wait_for_display
keep_wine_server "$xvfb_pid"
