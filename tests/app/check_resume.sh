#!/usr/bin/env bash
# Sleep and resume through logind on a private system bus (python3-dbusmock's logind
# template): the real program with eye protection on, its ramp reset behind its back (as
# a driver does on resume), then PrepareForSleep(false) and an unlock of its own session
# each put the program's ramp back; another session's unlock is not its business. After
# the bus and logind restart, both are heard again, also where the bus's socket stays in
# place. Without a system bus the program starts and runs as before.
# Usage: check_resume.sh PROGRAM GAMMA_DUMP SOURCE_DIR
set -uo pipefail
program=$1 gamma_dump=$2 src=$3
. "$src/tests/install/lib.sh"

needs dbus-daemon xrandr
/usr/bin/python3 -c 'import dbusmock' 2>/dev/null || { echo "python3-dbusmock is not installed: skipped" >&2; exit 77; }
use_private_x

# The private system bus: anyone may own and call anything on it.
cat > "$tmp/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$tmp/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
  </policy>
</busconfig>
CONF
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$tmp/system_bus_socket"
login() { gdbus call --system -d org.freedesktop.login1 -o "$1" -m "${@:2}"; }
add_session() { login /org/freedesktop/login1 org.freedesktop.DBus.Mock.AddSession "$@" \
  | sed -n "s/.*'\(\/[^']*\)'.*/\1/p"; }
# The bus, and logind on it with the program's session (c1) and another user's (c2).
start_bus() {
  dbus-daemon --config-file="$tmp/bus.conf" --nofork --nopidfile >>"$tmp/bus.log" 2>&1 &
  bus_pid=$!
  pids+=($bus_pid)
  wait_for 10 test -S "$tmp/system_bus_socket" || { fail "no private system bus"; exit 1; }
  start_logind
}
start_logind() {
  /usr/bin/python3 -m dbusmock --system --template logind >>"$tmp/logind.log" 2>&1 &
  logind_pid=$!
  pids+=($logind_pid)
  wait_for 10 login /org/freedesktop/login1 org.freedesktop.DBus.Peer.Ping \
    || { fail "the mock logind did not come up"; cat "$tmp/logind.log" >&2; exit 1; }
  session=$(add_session c1 seat0 1000 user true)
  other=$(add_session c2 seat0 1001 other false)
}
start_bus

first_entry() { "$gamma_dump" "$display" first | awk 'NR == 2 {print $2; exit}' ; }
mid_entry() { "$gamma_dump" "$display" first | awk 'NR == 130 {print $2; exit}' ; }
reset_ramp() { for o in $(xrandr | awk '/ connected/ {print $1}'); do xrandr --output "$o" --gamma 1:1:1; done; }

run_program() {
  rm -rf "$tmp/prog" "$tmp/home" "$tmp/runtime"
  mkdir -p "$tmp/prog" "$tmp/home" "$tmp/runtime"
  chmod 700 "$tmp/runtime"
  cp "$program" "$tmp/prog/ocuvell"
  # Eye protection on, darker: the program's ramp differs from the identity one.
  printf '[eye]\r\npdrun=1\r\nliangdu=-30\r\n' >"$tmp/prog/config.ini"
  env -i PATH=/usr/bin:/bin HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/runtime" DISPLAY="$display" \
      LANG=C.UTF-8 BROWSER=true DBUS_SYSTEM_BUS_ADDRESS="$1" XDG_SESSION_ID="${2-c1}" "$tmp/prog/ocuvell" \
      >"$tmp/run.out" 2>"$tmp/run.err" &
  program_pid=$!
  pids+=($program_pid)
  wait_for 20 has_main_window || { fail "no main window"; cat "$tmp/run.err" >&2; exit 1; }
}
darkened() { [ "$(mid_entry)" -lt 30000 ]; }

reset_ramp
run_program "$DBUS_SYSTEM_BUS_ADDRESS"
wait_for 10 darkened || fail "the program's ramp is not on the display: $(mid_entry)"
ramp=$(mid_entry)

back() { wait_for "$1" eval '[ "$(mid_entry)" = "$ramp" ]'; }
sleep_and_resume() {
  reset_ramp
  [ "$(mid_entry)" -gt 30000 ] || fail "xrandr did not reset the ramp"
  login /org/freedesktop/login1 org.freedesktop.DBus.Mock.EmitSignal \
    org.freedesktop.login1.Manager PrepareForSleep b '[<true>]' >/dev/null
  login /org/freedesktop/login1 org.freedesktop.DBus.Mock.EmitSignal \
    org.freedesktop.login1.Manager PrepareForSleep b '[<false>]' >/dev/null
}
lock_and_unlock() { # SESSION_PATH
  reset_ramp
  login "$1" org.freedesktop.DBus.Mock.EmitSignal org.freedesktop.login1.Session Lock '' '@av []' >/dev/null
  login "$1" org.freedesktop.DBus.Mock.EmitSignal org.freedesktop.login1.Session Unlock '' '@av []' >/dev/null
}

sleep_and_resume
back 5 && ok "resume put the program's ramp back" || fail "after resume the ramp is $(mid_entry), not $ramp"
[ -n "$session" ] && [ -n "$other" ] || { fail "the mock logind made no sessions"; exit 1; }
# Another session first: its unlock must not be taken for ours.
lock_and_unlock "$other"
sleep 2
[ "$(mid_entry)" != "$ramp" ] && ok "another session's unlock is not heard" \
  || fail "another session's unlock put the ramp back"
lock_and_unlock "$session"
back 5 && ok "an unlock of its own session put the program's ramp back" \
  || fail "after an unlock the ramp is $(mid_entry), not $ramp"

# The bus and logind restart: the program connects again and hears both once more.
kill "$logind_pid" "$bus_pid"; wait "$logind_pid" "$bus_pid" 2>/dev/null
start_bus
# A resume told before the program is back on the bus goes unheard: told again until heard.
resumed=""
for _ in $(seq 15); do sleep_and_resume; back 1 && { resumed=1; break; }; done
[ -n "$resumed" ] && ok "after the bus restarted, resume put the ramp back" \
  || fail "after the bus restarted, resume left the ramp at $(mid_entry)"
lock_and_unlock "$session"
back 5 && ok "after the bus restarted, an unlock put the ramp back" \
  || fail "after the bus restarted, an unlock left the ramp at $(mid_entry)"
kill -0 "$program_pid" 2>/dev/null || fail "the program ended when the bus went away"
kill "$program_pid"; wait "$program_pid" 2>/dev/null

# A bus whose socket a service manager holds, as systemd holds the system bus's: the
# socket file stays while the bus restarts, so its folder tells nothing.
sed 's|<listen>.*</listen>|<listen>systemd:</listen>|' "$tmp/bus.conf" >"$tmp/held.conf"
/usr/bin/python3 - "$tmp/held_socket" "$tmp/held.conf" >>"$tmp/bus.log" 2>&1 <<'HOLDER' &
import os, signal, socket, subprocess, sys, time
held = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
held.bind(sys.argv[1])
held.listen(64)
run = ("exec 3<&%d; LISTEN_PID=$$ LISTEN_FDS=1 exec dbus-daemon --config-file=%s --nofork "
       "--nopidfile" % (held.fileno(), sys.argv[2]))
bus = subprocess.Popen(["sh", "-c", run], pass_fds=[held.fileno()])
def restart(*_):  # SIGUSR1: the bus ends and a new one takes the same socket
    global bus
    bus.terminate(); bus.wait(); time.sleep(0.3)
    bus = subprocess.Popen(["sh", "-c", run], pass_fds=[held.fileno()])
signal.signal(signal.SIGUSR1, restart)
signal.signal(signal.SIGTERM, lambda *_: (bus.terminate(), bus.wait(), sys.exit(0)))
while True:
    signal.pause()
HOLDER
holder_pid=$!
pids+=($holder_pid)
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$tmp/held_socket"
wait_for 10 gdbus call --system -d org.freedesktop.DBus -o /org/freedesktop/DBus \
  -m org.freedesktop.DBus.GetId || { fail "no bus on a held socket"; exit 1; }
start_logind
reset_ramp
run_program "$DBUS_SYSTEM_BUS_ADDRESS"
wait_for 10 darkened || fail "on a held socket the ramp is $(mid_entry)"
kill "$logind_pid"; wait "$logind_pid" 2>/dev/null
kill -USR1 "$holder_pid"
sleep 1
start_logind
resumed=""
for _ in $(seq 15); do sleep_and_resume; back 1 && { resumed=1; break; }; done
[ -n "$resumed" ] && ok "after a bus on a held socket restarted, resume put the ramp back" \
  || fail "after a bus on a held socket restarted, resume left the ramp at $(mid_entry)"
kill "$program_pid"; wait "$program_pid" 2>/dev/null

# Started outside any session (by the user's service manager, without XDG_SESSION_ID): the
# session is the one logind names "auto", here the program's own c1.
login /org/freedesktop/login1 org.freedesktop.DBus.Mock.AddMethod org.freedesktop.login1.Manager \
  GetSession s o 'ret = "/org/freedesktop/login1/session/" + ("c1" if args[0] == "auto" else args[0])' \
  >/dev/null
reset_ramp
run_program "$DBUS_SYSTEM_BUS_ADDRESS" ""
wait_for 10 darkened || fail "started outside a session, the ramp is $(mid_entry)"
lock_and_unlock "$other"
sleep 2
[ "$(mid_entry)" != "$ramp" ] || fail "started outside a session, another session's unlock was heard"
lock_and_unlock "$session"
back 5 && ok "started outside a session, an unlock of the user's session put the ramp back" \
  || fail "started outside a session, an unlock left the ramp at $(mid_entry)"
kill "$program_pid"; wait "$program_pid" 2>/dev/null

# No system bus at all: the program comes up and shows its ramp as before.
reset_ramp
run_program "unix:path=$tmp/no-such-bus"
wait_for 10 darkened && ok "without a system bus the program runs and colours the display" \
  || fail "without a system bus the ramp is $(mid_entry)"
kill -0 "$program_pid" 2>/dev/null || fail "the program ended without a system bus"

[ $failures -eq 0 ] || { echo "$failures check(s) failed" >&2; cat "$tmp/run.err" >&2; exit 1; }
