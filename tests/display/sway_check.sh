#!/bin/sh
# The program under a headless sway, whose outputs answer "failed" to gamma control: it
# says so in one line, also while outputs come, runs on, and the colour page shows the
# notice.
# Usage: sway_check.sh OCUVELL FORM1_TEST
# Exit 77 (skipped, with the reason) where sway cannot start.
set -u
ocuvell=$1
form1_test=$2

skip() {
  echo "skipped: $*"
  exit 77
}
fail() {
  echo "FAILED: $*"
  [ -f "$work/sway.log" ] && tail -5 "$work/sway.log"
  exit 1
}

command -v sway >/dev/null 2>&1 || skip "sway is not installed"
work=$(mktemp -d "${TMPDIR:-/tmp}/ocuvell-sway.XXXXXX") || exit 1
sway_pid=""
program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  [ -n "$sway_pid" ] && kill "$sway_pid" 2>/dev/null && wait "$sway_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"
run=$work/run
mkdir "$run" && chmod 700 "$run"
printf 'xwayland disable\n' >"$work/config"
chmod 644 "$work/config"

# sway refuses root; as root it runs as nobody, in a runtime folder of nobody's.
as_user=""
if [ "$(id -u)" -eq 0 ]; then
  id nobody >/dev/null 2>&1 || skip "no user nobody to run sway as"
  group=$(id -gn nobody)
  chown nobody:"$group" "$run"
  if command -v setpriv >/dev/null 2>&1 &&
    setpriv --reuid=nobody --regid="$group" --clear-groups true 2>/dev/null; then
    as_user="setpriv --reuid=nobody --regid=$group --clear-groups"
  elif command -v runuser >/dev/null 2>&1 && runuser -u nobody -- true 2>/dev/null; then
    as_user="runuser -u nobody --"
  else
    skip "cannot run as nobody (no setpriv or runuser that works)"
  fi
fi
env -i PATH="$PATH" HOME="$work" XDG_RUNTIME_DIR="$run" WLR_BACKENDS=headless \
  WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
  $as_user sway -c "$work/config" >"$work/sway.log" 2>&1 &
sway_pid=$!

socket=""
for _ in $(seq 100); do
  for s in "$run"/wayland-*; do
    case $s in *.lock | *'*'*) ;; *) [ -S "$s" ] && socket=$s ;; esac
  done
  [ -n "$socket" ] && break
  kill -0 "$sway_pid" 2>/dev/null || break
  sleep 0.1
done
[ -n "$socket" ] || skip "sway did not start: $(tail -2 "$work/sway.log" | tr '\n' ' ')"

# Outputs that come while the program runs, through sway's own command (this sway cannot
# unplug them), when its IPC socket is there.
ipc=$(ls "$run"/sway-ipc.*.sock 2>/dev/null | head -1)
add_outputs() {
  [ -n "$ipc" ] && command -v swaymsg >/dev/null 2>&1 || return 0
  for _ in $(seq 4); do
    env -i PATH="$PATH" SWAYSOCK="$ipc" $as_user swaymsg create_output >/dev/null 2>&1
  done
}

# The whole program, its files in a home of its own, for three seconds while outputs come:
# it must run on and say once that the colours cannot be changed, for its outputs' reason,
# and not say more as the outputs change. $1: the Qt platform ("" for the
# program's own choice).
home=$work/home
mkdir -p "$home"
run_program() {
  env -u DISPLAY -u QT_QPA_PLATFORM ${1:+QT_QPA_PLATFORM=$1} HOME="$home" \
    XDG_CONFIG_HOME="$home/.config" XDG_STATE_HOME="$home/.state" XDG_RUNTIME_DIR="$run" \
    WAYLAND_DISPLAY="$socket" "$ocuvell" >"$work/out" 2>"$work/err" &
  program_pid=$!
  sleep 1
  add_outputs
  sleep 2
  kill -0 "$program_pid" 2>/dev/null || fail "the program ended: $(cat "$work/err")"
  kill "$program_pid"
  wait "$program_pid" 2>/dev/null
  program_pid=""
  told=$(grep -c "colours cannot be changed" "$work/err")
  [ "$told" -eq 1 ] || fail "expected one line on colours, got $told: $(cat "$work/err")"
  grep -q "colours cannot be changed on this display (no Wayland output" "$work/err" ||
    fail "not the outputs' reason: $(cat "$work/err")"
  lines=$(wc -l <"$work/err")
  [ "$lines" -le 5 ] || fail "$lines lines on stderr: $(cat "$work/err")"
  echo "the program on ${1:-its own choice}: $(grep "colours cannot" "$work/err")"
}
run_program offscreen
# With only native Wayland the windows go to the compositor, through Qt's Wayland plugin.
plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null)
if [ -e "$plugins/platforms/libqwayland-generic.so" ]; then
  run_program ""
else
  echo "no Qt Wayland plugin: the program's native Wayland windows are not tried"
fi

# The colour page's notice, on the same compositor.
OCUVELL_TEST_SWAY=1 XDG_RUNTIME_DIR="$run" WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=offscreen \
  "$form1_test" --gtest_filter='ColourNotice.ShownOnTheSessionsCompositor*' ||
  fail "the notice"
