#!/usr/bin/env bash
# Stop and start: the test build, every LED switching on every tick, takes CYCLES menu commands
# that each stop monitoring, re-render, lay out, save and start again (icon size 1, 2, 1, ...),
# while drives E to H vanish and come back every 0.3 s. Then: no hang, the LEDs show exactly the
# traffic, vanished drives are idle and come back, and while a dialog holds monitoring stopped
# no LED changes at all.
# usage: stop_start.sh [CYCLES] (1000). Expects the Wine session of scripts/xvfb-session.sh.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
xdotool mousemove 1000 740 # away from the bar: no tooltip over the LEDs
cycles=${1:-1000}

all4=444444444444444444444444
# One pixel in the upper and one in the lower half of each of the first eight LEDs at size S.
points() { # S
  local n
  for n in $(seq 0 7); do echo "$((400 + n * $1 + 2)) $((10 + 6)) $((400 + n * $1 + 2)) $((10 + $1 - 4))"; done
}
# How many different pictures of those LEDs COUNT samples about 30 ms apart show.
pictures() { # S, count
  local p
  p=$(points "$1")
  for _ in $(seq "$2"); do pixels $p; sleep 0.03; done | sort -u | wc -l
}

# "yes" once the LEDs at size S show two pictures within a round of samples, trying a few
# rounds (a second or so each): a machine busy with other tests may be slow to start or restart.
switching() { # S
  for _ in 1 2 3 4 5; do (($(pictures "$1" 12) >= 2)) && { echo yes; return; }; done
  echo no
}

prepare stop-start "" "$helper_dir/blinkbar_e2e.exe"
traffic $all4
start_bar
check "every LED switches on every tick" "yes" "$(switching 18)"

( while :; do traffic "44----444444444444444444"; sleep 0.3; traffic $all4; sleep 0.3; done ) &
flipper=$!
started_pids+=("$flipper") # ended on any exit, with the program
t0=$(date +%s%N)
wininfo command Blinkbar 7,8 $((cycles / 2)) >/dev/null
wininfo command Blinkbar 9 >/dev/null # the last one: LEDs of 30 pixels say the queue is done
for _ in $(seq 6000); do [ "$(geometry | sed 's/.*x//')" == 30 ] && break; sleep 0.05; done
elapsed=$((($(date +%s%N) - t0) / 1000000))
kill "$flipper"; wait "$flipper" 2>/dev/null
echo "$cycles stop/start cycles (and one more) in $elapsed ms: $((cycles * 1000 / (elapsed + 1))) per second"
check "no hang: every command done, the program alive" "30 yes" "$(geometry | sed 's/.*x//') $(alive)"

# C reads, D writes, E both, F vanished, G quiet, H reads.
traffic "123-01000000000000000000"
sleep 0.6
check "afterwards the LEDs show the traffic" \
  "00D800 000000 000000 FF2626 00D800 FF2626 000000 000000 000000 000000 00D800 000000" \
  "$(pixels $(points 30 | head -n 6 | tr '\n' ' '))"
traffic "123101000000000000000000"
sleep 0.6
check "the vanished drive comes back" "00D800 000000" "$(pixels $(points 30 | sed -n 4p))"

traffic $all4
wininfo command Blinkbar 2 >/dev/null # Configure Drives: monitoring stops while it is open
dialog=$(wait_for_window '^Show/Hide Drive$')
sleep 0.3
check "while monitoring is stopped no LED changes" "1" "$(pictures 30 12)"
wininfo close "Show/Hide Drive" >/dev/null
eventually "the dialog closed" "0" window_count 'Show/Hide Drive'
check "started again, they switch again" "yes" "$(switching 30)"
stop_bar
summary
