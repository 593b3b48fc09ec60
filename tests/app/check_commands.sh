#!/usr/bin/env bash
# The command line against the real program on a private Xorg: each command's effect read
# back (the CRTC's ramp, status, the rest screen, config.ini after the red cross), a second
# plain start, no running copy, and hostile clients the program must shrug off.
# Usage: check_commands.sh PROGRAM GAMMA_DUMP SOURCE_DIR
set -uo pipefail
program=$1 gamma_dump=$2 src=$3
. "$src/tests/install/lib.sh"

needs xdotool xwininfo python3
use_private_x

mkdir -p "$tmp/prog" "$tmp/home" "$tmp/runtime"
chmod 700 "$tmp/runtime"
cp "$program" "$tmp/prog/ocuvell"
printf '[dsxx]\r\nmei=30\r\nxiuxi=2\r\npdrun=1\r\n' >"$tmp/prog/config.ini"
run() {
  env -i PATH=/usr/bin:/bin HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/runtime" DISPLAY="$display" \
      LANG=C.UTF-8 BROWSER=true "$tmp/prog/ocuvell" "$@"
}
# ask EXPECTED_STATUS COMMAND...: the command's stdout in $out, its status checked.
ask() {
  local want=$1; shift
  out=$(run "$@" 2>"$tmp/ask.err"); local got=$?
  [ "$got" -eq "$want" ] && return 0
  fail "ocuvell $* ended with $got, not $want: $(cat "$tmp/ask.err")"
  return 1
}
# The middle entry of the first CRTC's red ramp.
mid_red() { "$gamma_dump" "$display" first | awk '$1 == 128 { print $2 }'; }

ask 3 status && grep -q "not running" "$tmp/ask.err" && ok "no running copy: status 3, said why"
ask 2 brightness up && grep -q "brightness takes" "$tmp/ask.err" && ok "bad usage: status 2, said why"
ask 2 --bogus && ok "an unknown argument still ends with status 2"

run >"$tmp/run.out" 2>"$tmp/run.err" &
pids+=($!)
main_pid=$!
wait_for 20 has_main_window || { fail "no main window"; cat "$tmp/run.err" >&2; exit 1; }
wait_for 10 run status || { fail "the running copy does not answer"; cat "$tmp/run.err" >&2; exit 1; }
stat -c %a "$tmp/runtime/ocuvell-$(id -u).socket" | grep -qx 600 && ok "the socket is 0600"

second=$(run 2>&1 </dev/null); status=$?
[ "$status" -eq 0 ] && [ -z "$second" ] && ok "a second plain start ends silently" \
  || fail "a second plain start: status $status, said: $second"

# Colours: the CRTC follows each command, and restore puts back the ramp of the start.
start_red=$(mid_red)
ask 0 brightness -20 && [ "$(mid_red)" -lt "$start_red" ] && ok "brightness -20 darkens the CRTC"
ask 0 brightness +5 && [ "$out" = "brightness -15" ] && ok "brightness +5 steps from there"
ask 0 contrast 60 && ask 0 red =-30 && ask 0 status
grep -qx "red: -30" <<<"$out" && grep -qx "contrast: 60" <<<"$out" && ok "status shows the levels"
ask 0 restore && [ "$(mid_red)" = "$start_red" ] && ok "restore gives back the start's ramp"
ask 0 eye toggle && ask 0 status && grep -qx "eye protection: on" <<<"$out" && ok "eye toggle switches it on"
ask 0 eye off

# Rests: later moves the next rest, now brings the rest screen over the whole screen.
ask 0 status
before=$(sed -n 's/^next rest: //p' <<<"$out")
want=$(date -d "$before today + 90 min" +%H:%M)
ask 0 rest later 90 && ask 0 status
grep -q "next rest: $want" <<<"$out" && ok "rest later 90 moves the next rest from $before to $want" \
  || fail "rest later 90: $out (wanted $want)"
rest_screen_up() {
  local w
  for w in $(xdotool search --onlyvisible --name '^Ocuvell$' 2>/dev/null); do
    xwininfo -id "$w" | grep -q "Width: 1920" && return 0
  done
  return 1
}
ask 0 rest now && wait_for 5 rest_screen_up && ok "rest now brings the rest screen"
ask 0 status --json
python3 -c 'import json,sys; d=json.load(sys.stdin); assert d["stage"] == "resting", d' <<<"$out" \
  && ok "status --json parses and says resting" || fail "status --json: $out"
ask 0 reminders off && ask 4 rest now && grep -q "reminders are off" "$tmp/ask.err" \
  && ok "rest now with reminders off is refused with status 4"
ask 0 reminders on

ask 0 status
calm=$out
# Hostile clients: a thousand connections at once, a 1 MiB line, one that never sends, bytes
# that are not UTF-8; a good request afterwards is answered and the program lives on.
python3 - "$tmp/runtime/ocuvell-$(id -u).socket" <<'PY' || fail "hostile clients: see above"
import socket, sys, time
path = sys.argv[1]
def conn():
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    s.settimeout(5)
    s.connect(path)
    return s
crowd = []
for _ in range(1000):
    try:
        crowd.append(conn())
    except OSError:
        pass  # the backlog is full: refused, as it should be
big = conn()
try:
    big.sendall(b"status " + b"x" * (1 << 20) + b"\n")
except OSError:
    pass  # dropped while sending
silent = conn()
odd = conn()
odd.sendall(b"brightness \xff\xfe\x80\n")
assert odd.recv(100) == b"", "non-UTF-8 bytes were answered"
start = time.monotonic()
good = conn()
good.sendall(b"status\n")
reply = b""
while chunk := good.recv(4096):
    reply += chunk
took = time.monotonic() - start
assert reply.startswith(b"0\nbrightness:"), reply
print(f"ok: a good request answered {took:.2f} s after {len(crowd)} connections at once")
time.sleep(1.5)
assert silent.recv(10) == b"", "a silent client was kept past its second"
print("ok: a client that never sends is dropped")
PY
running "$main_pid" && ask 0 status && [ "$out" = "$calm" ] \
  && ok "the program lives on and keeps its schedule" || fail "after the hostile clients: $out"
if [ "$(id -u)" = 0 ] && id nobody >/dev/null 2>&1; then
  chmod 755 "$tmp/prog"
  other=$(runuser -u nobody -- env -i XDG_RUNTIME_DIR="$tmp/runtime" "$tmp/prog/ocuvell" status 2>&1)
  [ $? -eq 3 ] && ok "another user cannot reach the socket: $other" || fail "another user: $other"
fi

# quit ends the program as the tray's Exit does, storing nothing.
ask 0 quit && wait_for 5 eval '! running $main_pid' && ok "quit ends the running copy"
ask 3 status && ok "and then no copy answers"
grep -q "liangdu" "$tmp/prog/config.ini" && fail "quit stored the levels"

# show brings the window up (with no notification area here the minus only minimises,
# which no window manager carries out); the red cross stores what the commands set.
run >"$tmp/run2.out" 2>"$tmp/run2.err" &
pids+=($!)
main_pid=$!
wait_for 20 has_main_window && wait_for 10 run status || fail "the second run does not answer"
window=$(main_window)
ask 0 show && [ "$(map_state "$window")" = IsViewable ] && ok "show answers with the window up"
ask 0 blue 12
click_red_cross "$window"
wait_for 10 eval '! running $main_pid' || fail "the red cross did not end the program"
grep -q "rgbb=12" "$tmp/prog/config.ini" && ok "the close stored blue 12 in config.ini" \
  || fail "config.ini: $(cat "$tmp/prog/config.ini")"
exit $((failures > 0))
