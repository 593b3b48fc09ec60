#!/usr/bin/env bash
# The main window under a real window manager (openbox) on the private Xorg:
# - a drag of the title strip moves the window, with one move request (_NET_WM_MOVERESIZE)
#   while the button is held, and the window stays where it is let go when the pointer
#   moves on after the release;
# - minimised while there is no notification area, the window comes back, normal and in
#   front, from a click on the icon once a panel with a tray (trayer) appears.
# Usage: check_window_manager.sh PROGRAM SOURCE_DIR
set -uo pipefail
program=$1 src=$2
. "$src/tests/install/lib.sh"

needs openbox wmctrl trayer xev xprop
use_private_x

mkdir -p "$tmp/prog" "$tmp/home" "$tmp/runtime"
chmod 700 "$tmp/runtime"
cp "$program" "$tmp/prog/ocuvell"
cp "$(dirname "$program")/monitor.txt" "$tmp/prog/" 2>/dev/null
start_openbox "$tmp/home"

# Every _NET_WM_MOVERESIZE the program sends reaches the root window's substructure.
xev -root -event substructure >"$tmp/xev.log" 2>&1 &
pids+=($!)
env -i PATH=/usr/bin:/bin HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/runtime" DISPLAY="$display" \
    LANG=C.UTF-8 BROWSER=true "$tmp/prog/ocuvell" >"$tmp/run.out" 2>"$tmp/run.err" &
pids+=($!)
wait_for 20 has_main_window || { fail "no main window"; cat "$tmp/run.err" >&2; exit 1; }
window=$(main_window)
sleep 1

position() { xdotool getwindowgeometry "$window" | sed -n 's/^ *Position: \([0-9]*,[0-9]*\).*/\1/p'; }
moveresizes() { grep -c '_NET_WM_MOVERESIZE' "$tmp/xev.log"; }

# Drag the title strip 120 px right and 80 px down, let go, then move the pointer on.
before=$(position)
sent=$(moveresizes)
xdotool mousemove --window "$window" 200 12 mousedown 1
for step in 1 2 3 4 5 6; do
  xdotool mousemove_relative -- 20 $((step % 2 ? 13 : 14)); sleep 0.05
done
sleep 0.3
# Counted before the release: Qt itself sends a cancel of the move when it sees one.
requests=$(($(moveresizes) - sent))
xdotool mouseup 1
sleep 0.5
dropped=$(position)
xdotool mousemove_relative -- 150 150; sleep 0.2; xdotool mousemove_relative -- 60 -40
sleep 0.5
after=$(position)
IFS=, read -r x0 y0 <<<"$before"; IFS=, read -r x1 y1 <<<"$dropped"
[ $((x1 - x0)) -ge 100 ] && [ $((y1 - y0)) -ge 60 ] \
  && ok "the drag moved the window from $before to $dropped" \
  || fail "the drag left the window at $dropped (from $before)"
[ "$after" = "$dropped" ] && ok "after the release the window stays where it was let go" \
  || fail "after the release the window followed the pointer to $after (let go at $dropped)"
[ "$requests" -eq 1 ] && ok "one move request while the button is held" \
  || { fail "$requests move requests for one drag"; grep -B3 -A3 _NET_WM_MOVERESIZE "$tmp/xev.log" >&2; }

# Minimised with no notification area, then brought back by the icon of a tray that came.
click_minus "$window"
hidden() { xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN; }
wait_for 5 hidden && ok "without a tray the minus minimises" \
  || fail "without a tray the minus left the window $(map_state "$window")"
trayer --edge bottom --align right --widthtype request --height 24 --SetDockType true \
    >"$tmp/trayer.log" 2>&1 &
pids+=($!)
icon_window() {
  local panel
  for panel in $(xdotool search --class '^trayer$' 2>/dev/null); do
    xwininfo -tree -id "$panel" 2>/dev/null | grep -i 'ocuvell' | awk '{print $1}' | head -n 1
  done | head -n 1
}
has_icon() { [ -n "$(icon_window)" ]; }
wait_for 15 has_icon || fail "no icon in trayer's tray"
icon=$(icon_window)
if [ -n "$icon" ]; then
  xdotool mousemove --window "$icon" 4 4 click 1
  back() { [ "$(map_state "$window")" = IsViewable ] && ! hidden; }
  wait_for 5 back && ok "a click on the icon brings the minimised window back" \
    || fail "a click on the icon left the window $(map_state "$window"), $(xprop -id "$window" _NET_WM_STATE)"
  active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$window" ]; }
  wait_for 5 active && ok "in front, with the focus" || fail "the window is back but not active"
fi

[ $failures -eq 0 ] || { echo "$failures check(s) failed" >&2; cat "$tmp/run.err" >&2; exit 1; }
