#!/usr/bin/env bash
# The [more] options in the real program on a private Xorg under openbox, driven from
# outside: a rest every minute lasting one minute, both options on. The due tip waits
# while a full-screen window has the focus and comes within a second after it leaves full
# screen; then, with no input for longer than the rest, the tip stays until input returns,
# which takes it away as a rest taken (no rest screen).
# Usage: check_more_x11.sh PROGRAM SOURCE_DIR
set -uo pipefail
program=$1 src=$2
. "$src/tests/install/lib.sh"

needs openbox wmctrl xdotool xwininfo xmessage
use_private_x
start_openbox "$tmp"

mkdir -p "$tmp/prog" "$tmp/home" "$tmp/runtime"
chmod 700 "$tmp/runtime"
cp "$program" "$tmp/prog/ocuvell"
printf '[dsxx]\r\nmei=1\r\nxiuxi=1\r\npdrun=1\r\n[more]\r\ndefer_fullscreen=1\r\naway_counts_as_rest=1\r\n' \
  >"$tmp/prog/config.ini"
env -i PATH=/usr/bin:/bin HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/runtime" DISPLAY="$display" \
    LANG=C.UTF-8 BROWSER=true "$tmp/prog/ocuvell" >"$tmp/run.out" 2>"$tmp/run.err" &
pids+=($!)
wait_for 20 has_main_window || { fail "no main window"; cat "$tmp/run.err" >&2; exit 1; }

# The program's windows by their size: the tip is 332 x 90, the rest screen the screen.
ocuvell_sized() {
  local w
  for w in $(xdotool search --onlyvisible --name '^Ocuvell$' 2>/dev/null); do
    xwininfo -id "$w" | grep -q "Width: $1" && return 0
  done
  return 1
}
tip_up() { ocuvell_sized 332; }
rest_screen_up() { ocuvell_sized 1920; }
nudge() { xdotool mousemove_relative -- 1 1; }

# A full-screen window with the focus, and a user at work (input every few seconds).
xmessage -name video -title video 'a film' &
pids+=($!)
wait_for 10 eval 'wmctrl -l -x | grep -q video' || { fail "no window to make full screen"; exit 1; }
wmctrl -x -a video.Xmessage && wmctrl -x -r video.Xmessage -b add,fullscreen
# The first rest is due at the start of the second minute from now at the latest.
for _ in $(seq 1 26); do
  nudge
  tip_up && break
  sleep 5
done
tip_up && fail "the tip came over the full-screen window" || ok "no tip over the full-screen window"
start=$(date +%s%N)
wmctrl -x -r video.Xmessage -b remove,fullscreen
if wait_for 3 tip_up; then
  ms=$((($(date +%s%N) - start) / 1000000))
  [ "$ms" -le 2000 ] && ok "the tip came ${ms} ms after the window left full screen" \
    || fail "the tip came only ${ms} ms after the window left full screen"
else
  fail "no tip after the window left full screen"
fi

# Away longer than the rest: the tip stays, and input takes it away as a rest taken.
sleep 70
tip_up && ok "the tip stays while the user is away" || fail "the tip went while the user was away"
nudge
wait_for 2 eval '! tip_up' && ok "input after an absence as long as a rest took the tip away" \
  || fail "the tip is still up after the user came back"
rest_screen_up && fail "a rest screen came" || ok "no rest screen"

[ $failures -eq 0 ] || { echo "$failures check(s) failed" >&2; cat "$tmp/run.err" >&2; exit 1; }
