#!/usr/bin/env bash
# The floors of the code. app/ and dialogs/ build on monitor/, settings/ and display/, so those may
# take from app/ only its base headers (the shared record, the numbering, the handle owners, the
# library look-up, the modal scope, the menu's check marks, the names of newer Windows' messages)
# and from dialogs/ only the bar's opacity: never a command, the loop, tray mode, the change of
# scale or a dialog. Prints each include across that line; exits 1 when there is one.
# Usage: check-floors.sh [source root]
set -uo pipefail
root=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
base=" app/app_state.h app/numbering.h app/win_handles.h app/system_library_win.h app/modal_win.h \
app/menu_checks.h app/newer_windows.h dialogs/transparency.h "
crossed=0
for file in "$root"/monitor/* "$root"/settings/* "$root"/display/*; do
  case "$file" in *.h | *.cpp) ;; *) continue ;; esac
  while IFS=: read -r line header; do
    case "$base" in *" $header "*) continue ;; esac
    echo "${file#"$root"/}:$line includes $header"
    crossed=1
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"(app|dialogs)/' "$file" |
    sed -E 's/^([0-9]+):.*"([^"]+)".*/\1:\2/')
done
exit $crossed
