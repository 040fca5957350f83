#!/usr/bin/env bash
# Kill during save: the program saves over and over (menu commands posted to it: icon size 1 or
# 2, each a save of a new text, between runs of "Save Window Position") and is killed at a
# random moment. The settings must then be the complete old text or one of the complete new
# ones, byte for byte: in "Blinkbar.ini", or, where the kill fell inside the replace itself (which
# takes the old file away before it moves the new one in), in the flushed "Blinkbar.ini.tmp" that
# the next start reads instead. The next start must read them (the bar's height shows the size
# they hold) and save cleanly, leaving no temporary file. The trials run twice: on a plain file,
# and on one hard-linked from a persist folder as Scoop keeps it, which a save writes in place
# after keeping its whole new text in "Blinkbar.ini.new" (what the next start then reads); there
# the persisted name must end with the settings too.
# usage: kill_save.sh [TRIALS] (20 of each). Expects the Wine session of scripts/xvfb-session.sh.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
xdotool mousemove 1000 740 # away from the bar: no tooltip over the LEDs
trials=${1:-20}
RANDOM=${STRESS_SEED:-1234}

prepare kill-save '[Settings]\r\nWinX=400\r\nWinY=10\r\nIconSize=3\r\n'
original=$(file_hash "$dir/Blinkbar.ini")
# The two texts a save writes here, taken from the program once and checked for completeness.
start_bar
wininfo command Blinkbar 7 >/dev/null
eventually "a save at size 1" "1" ini IconSize
cp "$dir/Blinkbar.ini" "$work/kill-save-size1"
wininfo command Blinkbar 8 >/dev/null
eventually "a save at size 2" "2" ini IconSize
cp "$dir/Blinkbar.ini" "$work/kill-save-size2"
stop_bar
check "both texts are complete" "12 12" \
  "$(grep -c ' = ' "$work/kill-save-size1") $(grep -c ' = ' "$work/kill-save-size2")"
size1=$(file_hash "$work/kill-save-size1")
size2=$(file_hash "$work/kill-save-size2")
cp "$work/kill-save-size2" "$dir/Blinkbar.ini"

settings_file() { # what the next start reads
  if [ -e "$dir/Blinkbar.ini.new" ]; then echo "$dir/Blinkbar.ini.new"
  elif [ -e "$dir/Blinkbar.ini" ]; then echo "$dir/Blinkbar.ini"
  else echo "$dir/Blinkbar.ini.tmp"; fi
}
height_of() { # the LED height the settings give
  case $(file_hash "$(settings_file)") in
    "$size1") echo 18 ;; "$size2") echo 24 ;; "$original") echo 30 ;; *) echo "?" ;;
  esac
}

trials_on() { # "a plain file" or "a linked file"
  local hits=0 inside_replace=0 whole=0 read_back=0 changed=0
  for trial in $(seq "$trials"); do
    want=$(height_of)
    start_bar
    [ "$(geometry | sed 's/.*x//')" == "$want" ] && read_back=$((read_back + 1))
    # Saves queued at once keep the program saving for seconds: a size change (a new text) and
    # then forty "Save Window Position" (the same text again, nothing but the save itself).
    saves=$(printf ',15%.0s' $(seq 40))
    windows_pid=$(wininfo command Blinkbar "7$saves,8$saves" 10 | sed -n 's/^pid=\([1-9][0-9]*\).*/\1/p')
    sleep "$((RANDOM % 2)).$((RANDOM % 10))$((RANDOM % 10))"
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    # What the next start finds, once the killed process is wholly gone: a file it was deleting
    # goes only when its handles close, which may come after the Unix process has been reaped.
    ended=$(wininfo ended "${windows_pid:-0}" 10)
    if [ -z "$windows_pid" ] || [ "$ended" != ended ]; then
      echo "trial $trial: the process (Windows id '$windows_pid') did not end: '$ended'"
      stop_bar
      continue
    fi
    [ -e "$dir/Blinkbar.ini.tmp" ] || [ -e "$dir/Blinkbar.ini.new" ] && hits=$((hits + 1))
    [ -e "$dir/Blinkbar.ini" ] || inside_replace=$((inside_replace + 1))
    # The original text was replaced before the first trial: it may never come back.
    found=$(settings_file)
    case $(file_hash "$found") in
      "$size1") whole=$((whole + 1)) changed=$((changed + 1)) ;;
      "$size2") whole=$((whole + 1)) ;;
      *) echo "trial $trial: the settings in $found ($(stat -c %s "$found" 2>&1)) are neither text:"
        diff <(tr -d '\r' <"$work/kill-save-size2") <(tr -d '\r' <"$found") | head -n 20
        ls -l "$dir" ;;
    esac
    stop_bar # the window goes with the process
  done
  echo "$1, $trials trials: $hits killed with a save in progress (a temporary file or copy left), $inside_replace inside the replace; the settings whole after $whole"
  check "$1: every kill left a whole settings file" "$trials" "$whole"
  # Without saves under way the checks above would pass on an untouched file.
  check "$1: the commands arrived, and kills fell inside saves" "yes yes" \
    "$( ((changed > 0)) && echo yes || echo no) $( ((hits > 0)) && echo yes || echo no)"
  check "$1: every next start read the file" "$trials" "$read_back"

  # The last start after a kill: it reads the file and saves cleanly.
  want=$(height_of)
  start_bar
  check "$1: the last start reads the file" "$want" "$(geometry | sed 's/.*x//')"
  wininfo command Blinkbar 15 >/dev/null # Save Window Position
  sleep 1
  check "$1: and saves cleanly: a whole file, no temporary file or copy" "yes no no" \
    "$([ "$(grep -c ' = ' "$dir/Blinkbar.ini")" == 12 ] && echo yes || echo no) $(exists "$dir/Blinkbar.ini.tmp") $(exists "$dir/Blinkbar.ini.new")"
  stop_bar
}

trials_on "a plain file"
persist=$work/kill-save-persist
rm -rf "$persist" && mkdir -p "$persist"
cp "$dir/Blinkbar.ini" "$persist/Blinkbar.ini" && ln -f "$persist/Blinkbar.ini" "$dir/Blinkbar.ini"
trials_on "a linked file"
check "a linked file: the persisted name has the last save, and is still the same file" \
  "$(file_hash "$dir/Blinkbar.ini") 2" "$(file_hash "$persist/Blinkbar.ini") $(stat -c %h "$persist/Blinkbar.ini")"
summary
