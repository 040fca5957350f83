#!/usr/bin/env bash
# Sourced: a private X server with two 1024 x 768 monitors side by side, as Windows programs
# under Wine see them (two RandR outputs of Xorg's dummy driver; Xinerama reports the same two
# heads), a Wine prefix of its own (build/wineprefix-monitors: a prefix keeps the monitors it
# first saw while its server runs) and a persistent wineserver. Stops both when the calling
# script exits. Sets DISPLAY and WINEPREFIX. Xvfb cannot do this: with +xinerama it reports
# every screen at 0,0.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/session-common.sh"
export WINEPREFIX=$root/build/wineprefix-monitors

mkdir -p "$root/build"
start_x_server 500 Xorg -config "$root/scripts/xorg-dummy.conf" -noreset -nolisten tcp \
  -logfile "$root/build/xorg-monitors.log" -novtswitch -sharevts
for _ in $(seq 20); do
  xrandr --addmode DUMMY1 1024x768 2>/dev/null
  xrandr --fb 2048x768 --output DUMMY0 --mode 1024x768 --pos 0x0 --primary \
    --output DUMMY1 --mode 1024x768 --pos 1024x0 2>/dev/null
  [ "$(xrandr --listmonitors 2>/dev/null | grep -c ' DUMMY')" == 2 ] && break
  sleep 0.2
done

keep_wine_server "$x_pid"
