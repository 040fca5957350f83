#!/usr/bin/env bash
# Sourced: starts a private Xvfb (1024 x 768 x 24) and a persistent wineserver for the prefix, and
# stops both when the calling script exits. Sets DISPLAY.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/session-common.sh"
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"

start_x_server 90 Xvfb -screen 0 1024x768x24 -nolisten tcp
keep_wine_server "$x_pid"
