#!/usr/bin/env bash
# End to end: the installer and the uninstaller as a user meets them. A silent install; Blinkbar
# started from the installed folder, a setting changed through its menu and the uninstall picked
# from that menu; an interactive install driven by the keyboard; installs while Blinkbar runs; a
# reinstall that keeps the settings; the uninstaller asking first when started by hand.
# Expects DISPLAY and the Wine session of scripts/xvfb-session.sh.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

dist=$root/build/windows/dist
setup=$(ls "$dist"/Blinkbar-*-setup.exe | head -n 1)
wsetup="Z:$(echo "$setup" | tr '/' '\\')"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Blinkbar'
mkdir -p "$work"

# Windows folders of the prefix's user, as Unix paths.
win_env() { wine_run cmd /c echo "%$1%" >"$work/env.out" 2>/dev/null; tr -d '\r\n' <"$work/env.out"; }
unix_path() { wine_run winepath -u "$1" >"$work/path.out" 2>/dev/null; tr -d '\r\n' <"$work/path.out"; }
install_dir=$(unix_path "$(win_env LOCALAPPDATA)\\Programs\\Blinkbar")
programs=$(unix_path "$(win_env APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs")
start_menu_link=$programs/Blinkbar.lnk
startup_link=$(find "$programs" -maxdepth 1 -iname startup | head -n 1)/Blinkbar.lnk
windir="$(win_env LOCALAPPDATA)\\Programs\\Blinkbar"
run_log=$work/installed-run.log # the program's output, kept out of the installed folder

# "absent" only when Windows says the key is not there: a read that failed is no evidence that
# the entry is gone.
entry_state() {
  local state
  state=$(wininfo key "${key#HKCU\\}" | head -n 1)
  case $state in present | absent) echo "$state" ;; *) echo "unreadable: $state" ;; esac
}
registry() { wininfo key "${key#HKCU\\}" | grep '=' | sort; } # the entry's values, "name=value"
reg_value() { registry | grep -m1 "^$1=" | cut -d= -f2-; }
installed_files() { (cd "$install_dir" 2>/dev/null && ls -A | tr '\n' ' ' | sed 's/ $//'); }
gone() { [ ! -e "$install_dir" ] && [ ! -e "$start_menu_link" ] && [ ! -e "$startup_link" ] && [ "$(entry_state)" == absent ] && echo gone || echo "still there: $(installed_files)"; }
# As an older version left the entry: an install that fails must not name the new one.
older_entry() { wine_run reg add "$key" /v DisplayVersion /d 1.01 /f >/dev/null 2>&1; }

# The running bar's Windows process id: a new process's X window may well have an old one's id.
bar_process() { wininfo list | tr -d '\r' | sed -n 's/.* pid=\([0-9]*\) visible=1 class=BlinkbarBar .*/\1/p' | head -n 1; }
# Runs the installer (or another program) to its end and prints its exit code.
run_to_end() { wine_run "$@" >/dev/null 2>&1; echo $?; }
# Holds a file or a mutex, or keeps a bar busy, from the background for some seconds (wininfo
# hold|hold-read|hold-mutex|busy); sets holder. held_says: what the helper said.
hold() { # command, name, seconds
  rm -f "$work/hold.out"
  wine_run "$helper_dir/wininfo.exe" "$@" >"$work/hold.out" 2>/dev/null &
  holder=$!
  started_pids+=("$holder")
  for _ in $(seq 100); do grep -qE 'held|busy' "$work/hold.out" 2>/dev/null && break; sleep 0.05; done
}
held_says() { tr -d '\r' <"$work/hold.out" 2>/dev/null; }
# Passes only if COMMAND keeps printing WANT for SECONDS: what must not happen may come late.
holds() { # name, want, seconds, command...
  local name=$1 want=$2 until=$((SECONDS + $3)) got
  shift 3
  while :; do
    got=$("$@")
    [ "$got" != "$want" ] || ((SECONDS >= until)) && break
    sleep 0.2
  done
  check "$name" "$want" "$got"
}
# Starts a program in the background from the work folder and remembers it. Sets bg_pid.
start_program() { # program file, log name
  (cd "$work" && exec "$root/scripts/wine-run.sh" "$1" >"$work/$2" 2>&1) &
  bg_pid=$!
  started_pids+=("$bg_pid")
}

# The start of a clean slate: no install left from an earlier run.
chattr -i "$install_dir/blinkbar.exe" 2>/dev/null
if [ -x "$install_dir/unins000.exe" ] || [ -e "$install_dir" ]; then
  run_to_end "$install_dir/unins000.exe" /S >/dev/null
  sleep 1
  rm -rf "$install_dir"
fi
rm -f "$start_menu_link" "$startup_link"
wine_run reg delete "$key" /f >/dev/null 2>&1

echo "-- silent install"
check "the installer ends with code 0" "0" "$(run_to_end "$setup" /S)"
check "the installed files" "LICENSE.txt Readme.txt blinkbar.exe unins000.exe" "$(installed_files)"
check "the installed program is the built one" "$(file_hash "$dist/blinkbar.exe")" "$(file_hash "$install_dir/blinkbar.exe")"
check "Start-menu and Startup shortcuts" "yes yes" "$(exists "$start_menu_link") $(exists "$startup_link")"
check "installed-programs entry: name, version, publisher" "Blinkbar 1.02 The Blinkbar developers" "$(reg_value DisplayName) $(reg_value DisplayVersion) $(reg_value Publisher)"
check "installed-programs entry: icon and uninstall string" "$windir\\blinkbar.exe,0 \"$windir\\unins000.exe\"" "$(reg_value DisplayIcon) $(reg_value UninstallString)"
size=$(reg_value EstimatedSize)
check_match "installed-programs entry: a size in KB" '^0x0*[1-9a-f][0-9a-f]*$' "$size"
check "a silent install does not start Blinkbar" "0" "$(window_count Blinkbar)"

echo "-- a copy running from elsewhere"
# The zip's copy, say: an install or an uninstall touches only its own folder's program, so it
# neither closes this one nor starts its own while this one runs.
prepare portable ""
start_bar
portable=$(bar_process)
portable_runs() { [ -n "$portable" ] && [ "$(bar_process)" == "$portable" ] && [ "$(window_count Blinkbar)" == 1 ] && echo yes || echo "bars: $(bar_process) $(window_count Blinkbar)"; }
check "a silent install leaves a Blinkbar running from elsewhere alone and starts none" \
  "0 yes" "$(run_to_end "$setup" /S) $(portable_runs)"
# The installed program's file read a moment by another program (a virus scanner, a backup) is
# waited for; the Blinkbar running elsewhere is still not the one replaced.
hold hold-read "$windir\\blinkbar.exe" 3
check "the installed program's file held by another program: the install waits, code 0" \
  "held 0" "$(held_says) $(run_to_end "$setup" /S)"
holds "... and neither ends nor starts a Blinkbar" yes 3 portable_runs
start_program "$install_dir/unins000.exe" uninstall.log
answer y "Blinkbar Uninstall" # Remove Blinkbar? Yes, and no question about closing Blinkbar
eventually "an uninstall by hand removes Blinkbar without asking to close the other copy" gone gone
[ "$(gone)" == gone ] || answer Escape "Blinkbar Uninstall"
check "the install again, silently" "0" "$(run_to_end "$setup" /S)"
run_to_end "$install_dir/unins000.exe" /S >/dev/null # as winget's QuietUninstallString
eventually "a silent uninstall removes it at once too" gone gone
check "the other copy runs on" yes "$(portable_runs)"
check "the install again" "0" "$(run_to_end "$setup" /S)"
stop_bar

echo "-- the installed program"
dir=$install_dir
program_name=blinkbar.exe
start_bar
check "starts from the installed folder" "yes" "$([ -n "$win" ] && alive)"
wininfo version "$(echo "Z:$install_dir" | tr '/' '\\')\\blinkbar.exe" >/dev/null
check "Explorer's properties: version, product, description" \
  "FileVersion=1.02 ProductVersion=1.02 ProductName=Blinkbar FileDescription=Blinkbar disk-activity indicator fixed=1.2.0.0 icons=1" \
  "$(wininfo version "$(echo "Z:$install_dir" | tr '/' '\\')\\blinkbar.exe" | tr '\n' ' ' | sed 's/ $//')"
pick 8
check "a menu command saves beside the installed program" "2" "$(grep -m1 '^IconSize = ' "$dir/Blinkbar.ini" | tr -d '\r' | sed 's/IconSize = //')"
pick 19 405 15
answer y
wait_exit "$pid"
check "Uninstall Blinkbar: the program ends with code 0" "0" "$?"
for _ in $(seq 100); do [ "$(gone)" == gone ] && break; sleep 0.2; done
check "Uninstall Blinkbar: folder, shortcuts and entry are gone" "gone" "$(gone)"
check "Uninstall Blinkbar: Blinkbar is no longer running" "0" "$(window_count Blinkbar)"

echo "-- interactive install"
dir=$work/portable
start_bar
# Inside a job, as PowerShell's "Start-Process setup.exe -Wait" runs it.
(cd "$work" && exec "$root/scripts/wine-run.sh" "$helper_dir/wininfo.exe" job "$wsetup" 120 \
  >"$work/job.log" 2>&1) &
setup_pid=$!
started_pids+=("$setup_pid")
w=$(wait_for_window '^Blinkbar Setup')
check "the installer's window" "yes" "$([ -n "$w" ] && echo yes)"
page() { wininfo text "Blinkbar Setup" | grep -m1 -oE "$1"; }
eventually "welcome page" "Welcome to Blinkbar Setup" page 'Welcome to Blinkbar Setup'
xdotool windowfocus --sync "$w" key Return
eventually "components page" "Choose Components" page 'Choose Components'
xdotool windowfocus --sync "$w" key Return
eventually "folder page proposes the per-user folder" "$windir" page 'C:\\users\\[^\\]+\\AppData\\Local\\Programs\\Blinkbar'
# The folder chosen is checked again: here a portable copy runs.
check "the portable folder typed in" set "$(wininfo settext "Blinkbar Setup" "$(echo "Z:$dir" | tr '/' '\\')")"
xdotool windowfocus --sync "$w" key Return
asks_to_close() { wininfo box | grep -q 'Blinkbar is running' && echo yes; }
eventually "the installer asks to close the Blinkbar running in the chosen folder" yes asks_to_close
answer Escape "Blinkbar Setup"
eventually "Cancel stays on the folder page" "Choose Install Location" page 'Choose Install Location'
stop_bar
dir=$install_dir
wininfo settext "Blinkbar Setup" "$windir" >/dev/null
xdotool windowfocus --sync "$w" key Return
for _ in $(seq 50); do [ -n "$(page 'Start Blinkbar now')" ] && break; sleep 0.2; done
check "the last page offers to start Blinkbar" "Start Blinkbar now" "$(page 'Start Blinkbar now')"
xdotool windowfocus --sync "$w" key Return
win=$(wait_for_window '^Blinkbar$')
check "Finish started Blinkbar" "yes" "$([ -n "$win" ] && echo yes)"
wait_exit "$setup_pid" 30
check "the installer ends with code 0, and the bar it started is the shell's: the job empties" \
  "exit=0 left=0" "$(tr -d '\r' <"$work/job.log")"
check "interactive install: files and both shortcuts" "LICENSE.txt Readme.txt blinkbar.exe unins000.exe yes yes" "$(installed_files) $(exists "$start_menu_link") $(exists "$startup_link")"

echo "-- installing while Blinkbar runs"
# A package manager's silent upgrade: the bar, moved and not yet saved, is closed as the end of a
# session closes it (saving nothing), and runs again after the install, as last saved.
pick 8 # icon size 2, saved at once, where the bar stands
saved="$(ini IconSize) $(ini WinX) $(ini WinY)"
drag 405 15 100 60
eventually "the bar moved, not saved" "500,70 575x24" geometry
# The bar told by its process: the old window may stay on the screen a moment on a busy machine.
old_bar=$(bar_process)
# Run as PowerShell's "Start-Process setup.exe /S -Wait" runs it, inside a job that it waits to
# empty: the bar started again belongs to the desktop shell, not to the installer's job.
job=$(wininfo job "$wsetup /S" 60)
code=${job%% *}
code=${code#exit=}
new_bar=
for _ in $(seq 100); do
  new_bar=$(bar_process)
  [ -n "$new_bar" ] && [ "$new_bar" != "$old_bar" ] && break
  sleep 0.1
done
# Its window, once the old one has left the screen.
for _ in $(seq 50); do
  [ "$(xdotool search --onlyvisible --name '^Blinkbar$' 2>/dev/null | wc -l)" -le 1 ] && break
  sleep 0.1
done
win=$(wait_for_window '^Blinkbar$')
check "a silent install over a running Blinkbar ends with code 0, and Blinkbar runs again, outside the installer's job" \
  "exit=0 left=0 yes" "$job $([ -n "$old_bar" ] && [ -n "$new_bar" ] && [ "$new_bar" != "$old_bar" ] && echo yes)"
check "nothing saved on the way: the settings as the command saved them, not the moved place" \
  "2 400 10" "$saved"
check "the new program in place, started where it was last saved" "$(file_hash "$dist/blinkbar.exe") 2 400 10 400,10 575x24" \
  "$(file_hash "$install_dir/blinkbar.exe") $(ini IconSize) $(ini WinX) $(ini WinY) $(geometry)"
# An install that cannot finish leaves the bar running: one that does not answer the end of the
# session in time is told nothing (its end is not sent later), and one that ended while its
# file stays held is started again.
older_entry
hung=$(bar_process)
answers() { [ "$(bar_process)" == "$hung" ] && wininfo settle >/dev/null && echo yes || echo "bar: $(bar_process)"; }
hold busy "$hung" 12
check "a bar that answers nothing for a while" busy "$(held_says)"
check "the install gives up with code 2, nothing installed" "2 1.01" "$(run_to_end "$setup" /S) $(reg_value DisplayVersion)"
wait_exit "$holder" 30
eventually "the bar answers again, the same one" yes answers
holds "... and runs on: no end reaches it later" yes 3 answers
hold hold-read "$windir\\blinkbar.exe" 25
check "the program file held by another program" held "$(held_says)"
check "an install that ended the bar but cannot replace its file: code 2, nothing installed" \
  "2 1.01" "$(run_to_end "$setup" /S) $(reg_value DisplayVersion)"
restarted() { local b; b=$(bar_process); [ -n "$b" ] && [ "$b" != "$hung" ] && echo yes || echo "bar: $b"; }
eventually "... and the bar it ended runs again" yes restarted
wait_exit "$holder" 30
win=$(wait_for_window '^Blinkbar$')
before=$(file_hash "$install_dir/unins000.exe")
start_program "$setup" setup.log
setup_pid=$bg_pid
box_window "Blinkbar Setup" >/dev/null
eventually "an interactive install asks to close Blinkbar" "yes" asks_to_close
check "the question names the notification-area icon too" "yes" "$(wininfo box | grep -q 'icon in the notification area' && echo yes)"
answer Escape "Blinkbar Setup"
wait_exit "$setup_pid"
check "Cancel leaves the install as it was, with code 2" "2 $before" "$? $(file_hash "$install_dir/unins000.exe")"
start_program "$install_dir/unins000.exe" uninstall.log
answer y "Blinkbar Uninstall" # Remove Blinkbar? Yes
check "an uninstall started by hand says at once that Blinkbar must be closed" "yes" \
  "$([ -n "$(box_window "Blinkbar Uninstall")" ] && wininfo box | grep -q 'icon in the notification area' && echo yes)"
answer Escape "Blinkbar Uninstall"
# End the bar the installer started as the end of a session does (its Exit question is checked
# with the commands): no key is typed here, so none meant for the box above can reach a question.
# Wine closes a Yes/No box on Escape as No; Windows does not (MessageBox's documentation: with no
# Cancel button, Escape has no effect unless the box has an OK button).
# Its process is waited for, not its X window: without a window manager, Wine keeps a hidden bar
# up to 2 s waiting for one to withdraw it, and xdotool once missed the window while it was going
# (unlisted, then listed again), so a poll of the screen could end too soon.
ending_bar=$(bar_process)
wininfo post Blinkbar 0x16 1 1 >/dev/null # WM_ENDSESSION, ENDSESSION_CLOSEAPP
ended=$([ -n "$ending_bar" ] && wininfo ended "$ending_bar" 20 || echo "no bar found")
for _ in $(seq 30); do [ "$(window_count Blinkbar)" == 0 ] && break; sleep 0.1; done
ending="$ended $(window_count Blinkbar)"
check "the bar the installer started ends as at the end of a session" "ended 0" "$ending"
if [ "$ending" != "ended 0" ]; then # what stayed, for the log
  echo "  bar $win (process $ending_bar); left: $(xdotool search --onlyvisible --name '^Blinkbar$' | tr '\n' ' ')"
  wininfo list | grep -i blinkbar | sed 's/^/  /'
  wininfo box | tr '\n' ' ' | sed 's/^/  /'; echo
fi

echo "-- reinstall keeps the settings"
printf '[Settings]\r\nWinX=123\r\nIconSize=3\r\n' >"$install_dir/Blinkbar.ini"
settings=$(file_hash "$install_dir/Blinkbar.ini")
echo "an older program" >"$install_dir/blinkbar.exe" # the reinstall must write it again
# A bar ending after its Exit (its window gone, its program file held a moment longer) was not
# running for the user: the silent install waits for it and does not start it again.
hold hold "$windir\\blinkbar.exe" 2
check "a reinstall ends with code 0 and puts the program back" "0 $(file_hash "$dist/blinkbar.exe")" \
  "$(run_to_end "$setup" /S) $(file_hash "$install_dir/blinkbar.exe")"
check "a bar that was ending (its program file held, no window) is not started again" "held" \
  "$(tr -d '\r' <"$work/hold.out")$(wait_for_window '^Blinkbar$' 10)"
check "the user's Blinkbar.ini is kept byte for byte" "$settings" "$(file_hash "$install_dir/Blinkbar.ini")"
# A program file that cannot be written though nobody holds it (read-only, or a Blinkbar started
# between the check and the copy): no skipped file called success.
echo "an older program" >"$install_dir/blinkbar.exe"
older_entry
chattr +i "$install_dir/blinkbar.exe"
check "a program file that cannot be written: code 2, the old program and the entry's version kept" \
  "2 $(file_hash "$install_dir/blinkbar.exe") 1.01" \
  "$(run_to_end "$setup" /S) $(file_hash "$install_dir/blinkbar.exe") $(reg_value DisplayVersion)"
start_program "$setup" setup.log
setup_pid=$bg_pid
w=$(wait_for_window '^Blinkbar Setup')
for want in 'Welcome to Blinkbar Setup' 'Choose Components' 'Choose Install Location'; do
  eventually "to the page: $want" "$want" page "$want"
  xdotool windowfocus --sync "$w" key Return
done
says_not_written() { wininfo box | grep -q 'could not be installed' && echo yes; }
eventually "an interactive install says it could not put the program in place" yes says_not_written
answer Escape "Blinkbar Setup"
eventually "... Cancel: the install aborted" "Installation Aborted" page 'Installation Aborted'
xdotool windowfocus --sync "$w" key Return
wait_exit "$setup_pid"
check "... and ends with code 2, the entry's version kept" "2 1.01" "$? $(reg_value DisplayVersion)"
chattr -i "$install_dir/blinkbar.exe"
# Held longer than the install waits for it (ten seconds): the install gives up with code 2, as
# winget's manifest names it, before it replaces anything.
echo "an older program" >"$install_dir/blinkbar.exe"
before="$(file_hash "$install_dir/blinkbar.exe") $(file_hash "$install_dir/unins000.exe")"
hold hold "$windir\\blinkbar.exe" 35
start_program "$setup" setup.log
setup_pid=$bg_pid
says_in_use() { wininfo box | grep -q 'in use by another program' && echo yes; }
box_window "Blinkbar Setup" >/dev/null
eventually "an interactive install, after its wait, says another program uses the file" yes says_in_use
answer Escape "Blinkbar Setup"
wait_exit "$setup_pid"
check "... and Cancel ends it with code 2" 2 "$?"
check "a program that outlasts the install's wait: code 2, nothing replaced" "held 2 $before" \
  "$(held_says) $(run_to_end "$setup" /S) $(file_hash "$install_dir/blinkbar.exe") $(file_hash "$install_dir/unins000.exe")"
wait_exit "$holder" 40

echo "-- the uninstaller started by hand"
echo "mine" >"$install_dir/notes.txt"
start_program "$install_dir/unins000.exe" uninstall.log
un_pid=$bg_pid
box_window "Blinkbar Uninstall" >/dev/null
sleep 0.5
check "it asks first" "yes" "$(wininfo box | grep -q 'Remove Blinkbar and its settings' && echo yes)"
answer n "Blinkbar Uninstall"
wait_exit "$un_pid"
check "No keeps everything" "Blinkbar.ini LICENSE.txt Readme.txt blinkbar.exe notes.txt unins000.exe" "$(installed_files)"
start_program "$install_dir/unins000.exe" uninstall.log
un_pid=$bg_pid
box_window "Blinkbar Uninstall" >/dev/null
# The program's image stays locked for a moment after its mutex went, as when the menu's
# uninstall starts this just before the program ends: held here for two seconds.
hold hold "$windir\\blinkbar.exe" 3
check "the program's file is held" "held" "$(tr -d '\r' <"$work/hold.out" 2>/dev/null)"
answer y "Blinkbar Uninstall"
wait_exit "$un_pid"
for _ in $(seq 50); do [ "$(installed_files)" == notes.txt ] && break; sleep 0.2; done
# What is left, and any box still open there (a question not answered, or Blinkbar found running).
left_after_yes() {
  local left
  left=$(installed_files)
  [ "$left" == notes.txt ] && echo "$left" || echo "$left; $(wininfo box | tr -d '\r' | tr '\n' ' ')"
}
check "Yes removes what was installed and the settings, also a program still held a moment, and keeps the user's own file" "notes.txt" "$(left_after_yes)"
leftovers() { echo "$(exists "$start_menu_link") $(exists "$startup_link") $(entry_state)"; }
eventually "the shortcuts and the entry are gone" "no no absent" leftovers
rm -rf "$install_dir"

echo "-- an upgrade goes where the program is"
elsewhere_win="$(win_env LOCALAPPDATA)\\Blinkbar-Elsewhere" # /D= takes no quotes, so no space
elsewhere=$(unix_path "$elsewhere_win")
rm -rf "$elsewhere"
chosen=$(run_to_end "$setup" /S "/D=$elsewhere_win")
printf '[Settings]\r\nWinX=77\r\n' >"$elsewhere/Blinkbar.ini"
rm -f "$elsewhere/blinkbar.exe" # the second install must write it again
later=$(run_to_end "$setup" /S)
check "installs into a chosen folder, then without one, both end with code 0; the second went to the chosen folder, kept the settings and made no second copy" \
  "0 0 blinkbar.exe yes no $elsewhere_win" \
  "$chosen $later $(cd "$elsewhere" && ls blinkbar.exe) $(grep -q 'WinX=77' "$elsewhere/Blinkbar.ini" && echo yes) $(exists "$install_dir") $(reg_value InstallLocation)"
run_to_end "$elsewhere/unins000.exe" /S >/dev/null

echo "-- kept by Scoop: the settings survive a change, an update and a reinstall"
# Scoop's documented steps for the zip, modelled: the archive's folder extracted into
# apps\blinkbar\VERSION, the manifest's pre_install, then "persist": an item already in
# persist\blinkbar replaces the app's copy, else the app's copy moves there, and with neither a
# folder is made; a file is then hard-linked into the app's folder (New-Item -ItemType HardLink).
scoop_manifest=$dist/manifests/scoop/blinkbar.json
scoop=$work/scoop
persisted=$scoop/persist/blinkbar/Blinkbar.ini
rm -rf "$scoop"
scoop_install() { # version folder; sets dir
  dir=$scoop/apps/blinkbar/$1
  mkdir -p "$dir" "$scoop/persist/blinkbar"
  unzip -qo "$(ls "$dist"/Blinkbar-*-portable.zip | head -n 1)" -d "$dir.zip" && mv "$dir.zip"/Blinkbar/* "$dir" && rm -rf "$dir.zip"
  # pre_install, where the manifest has the line that makes an empty settings file
  if grep -qF 'New-Item \"$dir\\Blinkbar.ini\" -ItemType File' "$scoop_manifest" && [ ! -e "$persisted" ]; then
    : >"$dir/Blinkbar.ini"
  fi
  if [ -e "$persisted" ]; then rm -rf "$dir/Blinkbar.ini"
  elif [ -e "$dir/Blinkbar.ini" ]; then mv "$dir/Blinkbar.ini" "$persisted"
  else mkdir "$persisted"; fi
  if [ -d "$persisted" ]; then mkdir -p "$dir/Blinkbar.ini"; else ln "$persisted" "$dir/Blinkbar.ini"; fi
}
persisted_state() { # the persisted icon size, place and how many names the file has
  local key values=()
  for key in IconSize WinX WinY; do
    values+=("$(grep -m1 "^$key = " "$persisted" 2>/dev/null | tr -d '\r' | sed 's/.* = //')")
  done
  echo "${values[*]} $(stat -c %h "$persisted" 2>/dev/null)"
}
scoop_install 1.02
start_bar
pick 8 # icon size 2, saved at once
drag 405 15 100 60 # moved, saved only by Exit
eventually "installed by Scoop: the bar dragged" "500,70 575x24" geometry
pick 18 505 75
answer y
wait_exit "$pid"
check "installed by Scoop: a setting changed, the bar moved, Exit, and the persisted file has both, still linked" \
  "2 500 70 2" "$(persisted_state)"
scoop_install 1.02-update # an update: a new version folder, the persisted file linked in
start_bar
check "after an update the bar starts with the setting" "575x24" "$(geometry | sed 's/.* //')"
stop_bar
rm -rf "$scoop/apps" # uninstalled, the persist folder kept; then installed again
scoop_install 1.02
start_bar
check "after an uninstall and a reinstall too" "575x24 2 500 70 2" "$(geometry | sed 's/.* //') $(persisted_state)"
stop_bar

summary
