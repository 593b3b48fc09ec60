#!/usr/bin/env bash
# The program started before any notification area, as it often is at login: its minus
# minimises the window; once a panel with a tray (trayer) comes up, the icon docks in it,
# the minus hides the window to it, and a click on the icon brings the window back.
# Usage: check_tray_later.sh PROGRAM SOURCE_DIR
set -uo pipefail
program=$1 src=$2
. "$src/tests/install/lib.sh"

needs trayer
use_private_x

# A copy of its own, so its settings stay in the scratch folder.
mkdir -p "$tmp/prog" "$tmp/home" "$tmp/runtime"
chmod 700 "$tmp/runtime"
cp "$program" "$tmp/prog/ocuvell"
cp "$(dirname "$program")/monitor.txt" "$tmp/prog/" 2>/dev/null
env -i PATH=/usr/bin:/bin HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/runtime" DISPLAY="$display" \
    LANG=C.UTF-8 BROWSER=true "$tmp/prog/ocuvell" >"$tmp/run.out" 2>"$tmp/run.err" &
pids+=($!)
wait_for 20 has_main_window || { fail "no main window"; cat "$tmp/run.err"; exit 1; }
window=$(main_window)
grep -q 'no notification area' "$tmp/run.err" && ok "told that there is no notification area yet" \
  || fail "nothing said about the missing notification area: $(cat "$tmp/run.err")"

# No tray: the minus asks for a minimised window (with no window manager here, it stays
# mapped) and never unmaps it, which would leave no way back.
click_minus "$window"
sleep 1
[ "$(map_state "$window")" = IsViewable ] && ok "without a tray the minus does not hide" \
  || fail "without a tray the minus left the window $(map_state "$window")"

# The panel comes up.
trayer --edge bottom --align right --widthtype request --height 24 --SetDockType true \
    >"$tmp/trayer.log" 2>&1 &
pids+=($!)
# trayer's socket holds the icons: the program's icon window is embedded below it.
icon_window() {
  local panel
  for panel in $(xdotool search --class '^trayer$' 2>/dev/null); do
    xwininfo -tree -id "$panel" 2>/dev/null | grep -i 'ocuvell' | awk '{print $1}' | head -n 1
  done | head -n 1
}
has_icon() { [ -n "$(icon_window)" ]; }
if wait_for 15 has_icon; then ok "the icon docked in the tray that came later"
else
  fail "no icon in trayer's tray"; xwininfo -root -tree >&2
fi

click_minus "$window"
wait_for 5 eval '[ "$(map_state "$window")" = IsUnMapped ]' \
  && ok "with the tray the minus hides the window" \
  || fail "with the tray the minus left the window $(map_state "$window")"

icon=$(icon_window)
if [ -n "$icon" ]; then
  xdotool mousemove --window "$icon" 4 4 click 1
  wait_for 5 eval '[ "$(map_state "$window")" = IsViewable ]' \
    && ok "a click on the icon brings the window back" \
    || fail "a click on the icon left the window $(map_state "$window")"
fi

[ $failures -eq 0 ] || { echo "$failures check(s) failed" >&2; cat "$tmp/run.err" >&2; exit 1; }
