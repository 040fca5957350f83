# Sourced by the end-to-end scripts: start Blinkbar from a folder of its own under Wine in the
# private Xvfb, ask Windows about its windows, drive it with xdotool, and end only the processes
# the script started, by their ids.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
exe=$root/build/windows/blinkbar.exe
helper_dir=$root/build/windows/tests/windows
work=${E2E_WORK:-$root/build/e2e} # a long run elsewhere keeps its own folders
passed=${passed:-0}
failed=${failed:-0}
started_pids=()

check() { # name, expected, actual
  if [ "$2" == "$3" ]; then passed=$((passed + 1)); echo "ok   $1"
  else failed=$((failed + 1)); echo "FAIL $1: expected '$2', got '$3'"; fi
}
check_match() { # name, extended regex, actual
  if [[ $3 =~ $2 ]]; then passed=$((passed + 1)); echo "ok   $1"
  else failed=$((failed + 1)); echo "FAIL $1: '$3' does not match '$2'"; fi
}

# eventually NAME EXPECTED COMMAND...: polls the command for up to 6 s until it prints the expected
# text, then checks what it printed last. Windows under Wine without a window manager take a
# moment to go (closing one waits for the X server to withdraw it).
eventually() {
  local name=$1 want=$2 got=""
  shift 2
  for _ in $(seq 60); do
    got=$("$@")
    [ "$got" == "$want" ] && break
    sleep 0.1
  done
  check "$name" "$want" "$got"
}

# eventually_match NAME REGEX COMMAND...: the same for a text that must match, for up to 8 s.
eventually_match() {
  local name=$1 want=$2 got="" until=$((SECONDS + 8))
  shift 2
  while :; do
    got=$("$@")
    [[ $got =~ $want ]] || ((SECONDS >= until)) && break
    sleep 0.1
  done
  check_match "$name" "$want" "$got"
}

wine_run() { "$root/scripts/wine-run.sh" "$@"; }

# One helper process answers a suite's questions about windows on a pair of FIFOs: a Wine start
# costs about 0.3 s and a suite asks hundreds. Questions that name a file, hold something or
# start a program get a process of their own (wininfo's arguments arrive in the ANSI code page).
served=" window menu list text box tip tip-client tip-autopop close command post stats monitors \
taskbar-created volume-arrival ended key settle menu-state menu-place "
helper_pid=""
start_helper() {
  mkdir -p "$work" && rm -f "$work/helper.in" "$work/helper.out" &&
    mkfifo "$work/helper.in" "$work/helper.out" || return 0
  "$root/scripts/wine-run.sh" "$helper_dir/wininfo.exe" serve <"$work/helper.in" \
    >"$work/helper.out" 2>/dev/null &
  helper_pid=$!
  started_pids+=("$helper_pid")
  exec {helper_in}>"$work/helper.in" {helper_out}<"$work/helper.out"
}
# wininfo ARGS...: its output. One-shot runs write into a file: Wine's servers inherit pipes.
wininfo() {
  if [ -n "$helper_pid" ] && [[ $served == *" $1 "* ]] && kill -0 "$helper_pid" 2>/dev/null; then
    local token=$SRANDOM line out="" IFS=$'\t'
    printf '%s\t%s\n' "$token" "$*" >&"$helper_in" 2>/dev/null || { echo "unreadable: no helper"; return 1; }
    while IFS= read -r -t 60 line <&"$helper_out"; do
      line=${line%$'\r'}
      if [[ $line == $'\x1f'* ]]; then
        [[ $line == $'\x1f'"$token "* ]] && { printf '%s' "$out"; return 0; }
        out="" # the end of a late answer to a question given up on
      else out+=$line$'\n'; fi
    done
    echo "unreadable: the helper did not answer '$*'"
    return 1
  fi
  local out=$work/wininfo.out
  wine_run "$helper_dir/wininfo.exe" "$@" >"$out" 2>/dev/null
  tr -d '\r' <"$out"
}

# Field NAME=VALUE of the line of `wininfo window TITLE` that starts with PREFIX.
field() { # text, line prefix, field name
  echo "$1" | grep -m1 -E "^$2( |$)" | grep -oE "(^| )$3=[^ ]*" | head -n1 | cut -d= -f2
}

# A fresh folder with the program (the shipped one unless a third argument names another build)
# and, when given, a settings file (printf %b text).
program_name=blinkbar.exe
prepare() { # name, settings text or "", executable
  dir=$work/$1
  rm -rf "$dir" && mkdir -p "$dir" && cp "${3:-$exe}" "$dir/$program_name"
  [ -n "$2" ] && printf '%b' "$2" >"$dir/Blinkbar.ini"
  return 0
}

# Starts the program in $dir, from the current directory $start_in (default $dir), with any
# extra arguments (it must ignore them), and remembers its id. Sets pid.
launch() {
  (cd "${start_in:-$dir}" && exec "$root/scripts/wine-run.sh" "$dir/$program_name" "$@" \
    >"${run_log:-$dir/run.log}" 2>&1) &
  pid=$!
  started_pids+=("$pid")
}

# Launches the program and waits for its window to show. Sets pid and win.
start_bar() {
  launch "$@"
  win=""
  for _ in $(seq 150); do
    win=$(xdotool search --onlyvisible --name '^Blinkbar$' 2>/dev/null | head -n 1)
    [ -n "$win" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  # The first drive scan and the markers are drawn before the bar's thread takes its first message.
  [ -n "$win" ] && wininfo settle >/dev/null
  return 0
}

alive() { kill -0 "$pid" 2>/dev/null && echo yes || echo no; }

# The exit code of a started process, waiting at most SECONDS (default 20); a process still
# running then is ended and gives 124, so a box that never comes fails the check, not the run.
wait_exit() { # pid, seconds
  local p=$1
  for _ in $(seq $((${2:-20} * 10))); do kill -0 "$p" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$p" 2>/dev/null; then
    kill "$p" 2>/dev/null; sleep 0.5; kill -9 "$p" 2>/dev/null; wait "$p" 2>/dev/null
    return 124
  fi
  wait "$p"
}

# Ends the program started last and waits for it; prints nothing.
stop_bar() {
  kill "$pid" 2>/dev/null
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  # The bar's X window goes with the process; wait for it so the next start finds its own.
  for _ in $(seq 30); do
    xdotool search --onlyvisible --name '^Blinkbar$' >/dev/null 2>&1 || break
    sleep 0.1
  done
  return 0
}

end_started() {
  for p in "${started_pids[@]}"; do kill "$p" 2>/dev/null; done
  return 0
}
trap end_started EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
start_helper

# How many visible windows are titled exactly TITLE; "unreadable" when xdotool itself fails, so
# that a check for none cannot pass on a tool that did not answer.
window_count() {
  local out
  out=$(xdotool search --onlyvisible --name "^$1\$" 2>"$work/xdotool.err")
  if [ -s "$work/xdotool.err" ]; then echo "unreadable: $(head -c 200 "$work/xdotool.err")"; return; fi
  echo "$out" | grep -c .
}

# The bar's _NET_WM_WINDOW_OPACITY: the number, "absent" when the window has none, else what
# xprop said.
opacity_property() {
  local out
  out=$(xprop -id "$win" _NET_WM_WINDOW_OPACITY 2>&1)
  case $out in
    *": "*"not found.") echo absent ;;
    *") = "[0-9]*) echo "${out##* = }" ;;
    *) echo "unreadable: $out" ;;
  esac
}

geometry() { # of the X window: "x,y wxh"
  local g
  g=$(xdotool getwindowgeometry "$win" 2>/dev/null)
  echo "$(echo "$g" | awk '/Position/ {print $2}') $(echo "$g" | awk '/Geometry/ {print $2}')"
}

# Waits until the popup menu is open or closed; one that does not come fails here.
menu_is() { # open|closed
  for _ in $(seq 200); do [ "$(wininfo menu-state)" == "$1" ] && return 0; sleep 0.05; done
  failed=$((failed + 1))
  echo "FAIL the menu is not $1 after 10 s"
  return 1
}
# A right press within the double-click time of the one before is a WM_RBUTTONDBLCLK, which
# opens no menu (GetDoubleClickTime: 500 ms unless the user changed it): a right-click on the
# bar waits that out from the last one.
right_click() { # x, y
  local last now rest
  last=$(cat "$work/right-click.at" 2>/dev/null || echo 0)
  now=$(date +%s%N)
  rest=$(((last + 600000000 - now) / 1000000))
  ((rest > 0)) && sleep "0.$(printf '%03d' "$rest")"
  xdotool mousemove "$1" "$2" click 3
  date +%s%N >"$work/right-click.at"
}
# The items of the menu opened with a right-click at (x, y), as the hook library reads them.
menu_items() {
  right_click "$1" "$2"
  menu_is open
  rm -f "$dir/wininfo-menu.txt"
  wininfo menu >/dev/null
  tr -d '\r' <"$dir/wininfo-menu.txt" 2>/dev/null
}
# The checked item numbers of that menu, which is closed again.
menu_checks() {
  menu_items "${1:-405}" "${2:-15}" | grep -oE '^item [0-9]+ checked=1' | awk '{print $2}' |
    tr '\n' ' ' | sed 's/ $//'
  xdotool key Escape
  menu_is closed
}

# Right-click at (x, y) and pick menu item N with the keyboard (separators are skipped); returns
# once the bar has handled the command, or opened the window it shows.
pick() { # item, x, y
  right_click "${2:-405}" "${3:-15}"
  menu_is open || return 0
  local keys=()
  for _ in $(seq "$1"); do keys+=(Down); done
  xdotool key "${keys[@]}" Return
  menu_is closed && wininfo settle >/dev/null
  return 0
}
# A drag with the left button: pressed at (x, y), moved by (dx, dy) in ten steps, let go. The bar
# follows in Windows' own move loop; read where it ends with `eventually`, not once.
drag() { # x, y, dx, dy
  xdotool mousemove "$1" "$2" mousedown 1
  sleep 0.2
  for i in $(seq 1 10); do xdotool mousemove $(($1 + i * $3 / 10)) $(($2 + i * $4 / 10)); sleep 0.04; done
  xdotool mouseup 1
}
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable'; }
# The bar's own window is left out only for a question titled "Blinkbar", like the bar: a box of
# another program may have the X window id of a bar that has ended (a new process can take the
# old one's X client slot), and leaving that out would leave the box unanswered.
# A box or window that comes late on a slow machine is waited for 20 s, and one that never comes
# fails where it was wanted, not as a later check that finds the box still open.
box_window() { # the X window of the open box titled $1
  local w bar=
  [ "$1" == Blinkbar ] && bar=$win
  for _ in $(seq 200); do
    for w in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -vx "${bar:-none}"); do
      viewable "$w" && { echo "$w"; return; }
    done
    sleep 0.1
  done
}
answer() { # key ("y", "n", Return), box title (a question's by default)
  local w
  w=$(box_window "${2:-Blinkbar}")
  if [ -z "$w" ]; then
    failed=$((failed + 1))
    echo "FAIL no box titled '${2:-Blinkbar}' came to be answered with $1"
    return
  fi
  xdotool windowfocus --sync "$w" key "$1"
  for _ in $(seq 30); do viewable "$w" || break; sleep 0.1; done
  sleep 0.3
}
wait_for_window() { # title regex, seconds (20); prints the X window
  local w
  for _ in $(seq $((${2:-20} * 10))); do
    w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [ -n "$w" ] && { echo "$w"; return; }
    sleep 0.1
  done
}

# The value of KEY in the settings file beside the program.
ini() { grep -m1 "^$1 = " "$dir/Blinkbar.ini" 2>/dev/null | sed "s/^$1 = //" | tr -d '\r'; }
pixels() { /usr/bin/python3 "$root/e2e/pixels.py" get "$@"; }

exists() { [ -e "$1" ] && echo yes || echo no; }

from_tray() { xdotool mousemove 12 32 click --repeat 2 --delay 80 1; } # a double-click on the icon
bar_visible() { field "$(wininfo window Blinkbar)" window visible; }

# The chart of the visible LED tooltip, found where a user sees it (the framed rectangle at the
# bottom of the tip): prints LEFT TOP WIDTH HEIGHT inside its frame, or why it could not.
tip_chart_area() {
  local at x y w h found left top right bottom
  at=$(wininfo tip-client)
  read -r x y w h <<<"$at"
  [[ "$x $y $w $h" =~ ^[0-9]+\ [0-9]+\ [0-9]+\ [0-9]+$ ]] || { echo "unreadable tip: $at"; return; }
  found=$(/usr/bin/python3 "$root/e2e/pixels.py" frame "$x" "$y" "$w" "$h")
  read -r left top right bottom <<<"$found"
  [[ "$found" =~ ^[0-9]+\ [0-9]+\ [0-9]+\ [0-9]+$ ]] || { echo "no chart: $found"; return; }
  echo "$((left + 1)) $((top + 1)) $((right - left - 1)) $((bottom - top - 1))"
}
# tip_chart [SECOND ROW]...: pixels of that chart: sixty equal columns (0 the oldest second, 59 the
# newest) read up and down from its middle row. Each ROW counts from the middle, downwards
# positive.
tip_chart() {
  local area left top width height column points=()
  area=$(tip_chart_area)
  read -r left top width height <<<"$area"
  [[ "$area" =~ ^[0-9]+\ [0-9]+\ [0-9]+\ [0-9]+$ ]] || { echo "$area"; return; }
  column=$((width / 60))
  ((column > 0 && width % 60 == 0)) || { echo "not sixty columns: $area"; return; }
  while [ $# -ge 2 ]; do
    points+=($((left + $1 * column + column / 2)) $((top + height / 2 + $2)))
    shift 2
  done
  pixels "${points[@]}"
}

# traffic LETTERS: the test build's disk counters, one character per letter from C on: 0 quiet,
# 1 reading, 2 writing, 3 both, - no drive; letters not named are quiet. The file is replaced
# whole, so that the program never reads half of it.
traffic() {
  local text=$1
  while [ ${#text} -lt 24 ]; do text+=0; done
  printf '%s' "$text" >"$dir/traffic.new" && mv "$dir/traffic.new" "$dir/traffic.txt"
}

file_hash() { [ -f "$1" ] && md5sum <"$1" | cut -d' ' -f1 || echo none; }

summary() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
