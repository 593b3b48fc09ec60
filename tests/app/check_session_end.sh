#!/usr/bin/env bash
# The end of a session never waits for a person. With settings that cannot be saved (a
# FIFO in place of config.ini, whose warning box is up from the start; a settings folder
# the user cannot write), SIGTERM ends the real program on a private Xorg within 2 s, by
# that signal, with one line on stderr saying what was not saved and no window left.
# Usage: check_session_end.sh PROGRAM SOURCE_DIR
set -uo pipefail
program=$1 src=$2
. "$src/tests/install/lib.sh"

needs xdotool setpriv
use_private_x

# A user who cannot write a folder: as root that is nobody, whose rights folders hold.
runas=()
if [ "$(id -u)" -eq 0 ]; then
  getent passwd nobody >/dev/null || { echo "no user nobody: skipped" >&2; exit 77; }
  group=$(id -gn nobody)
  runas=(setpriv --reuid=nobody --regid="$group" --clear-groups)
fi

# end_by_sigterm NAME BOX: starts $tmp/NAME/prog/ocuvell as that user, waits for its main
# window (and for the warning box when BOX is 1), then ends it by SIGTERM.
end_by_sigterm() {
  local name=$1 box=$2 dir="$tmp/$1"
  [ ${#runas[@]} -gt 0 ] && chown -R "nobody:$group" "$dir/home"
  env -i PATH=/usr/bin:/bin HOME="$dir/home" XDG_RUNTIME_DIR="$dir/home/runtime" \
      XDG_CONFIG_HOME="$dir/config" DISPLAY="$display" LANG=C.UTF-8 BROWSER=true \
      "${runas[@]}" "$dir/prog/ocuvell" >"$dir/out" 2>"$dir/err" &
  local pid=$!; pids+=("$pid")
  wait_for 20 has_main_window || { fail "$name: no main window"; cat "$dir/err" >&2; return; }
  if [ "$box" = 1 ]; then
    wait_for 10 has_warning_box || fail "$name: the start-up warning box did not come"
  fi
  sleep 0.5
  local before; before=$(stat -c %s "$dir/err")
  local start; start=$(date +%s%N)
  kill -TERM "$pid"
  wait_for 4 eval "! running $pid"
  local took=$((($(date +%s%N) - start) / 1000000))
  if running "$pid"; then
    fail "$name: still running $took ms after SIGTERM"; kill -KILL "$pid"; wait "$pid"; return
  fi
  wait "$pid"; local rc=$?
  local said; said=$(tail -c +"$((before + 1))" "$dir/err")
  [ "$took" -le 2000 ] && [ $rc -eq 143 ] && ok "$name: SIGTERM ended the program in $took ms" \
    || fail "$name: SIGTERM ended the program in $took ms with status $rc"
  [ "$(grep -c . <<<"$said")" -eq 1 ] && grep -q 'not saved' <<<"$said" \
    && ok "$name: one line on stderr: $said" || fail "$name: stderr after SIGTERM: '$said'"
  if has_main_window || has_warning_box; then fail "$name: a window is left"; fi
}

prepare() {
  mkdir -p "$tmp/$1/prog" "$tmp/$1/home/runtime" "$tmp/$1/config/Ocuvell"
  chmod 700 "$tmp/$1/home/runtime"
  cp "$program" "$tmp/$1/prog/ocuvell"
}

# A FIFO where config.ini should be: its start-up box says it cannot be read.
prepare fifo
mkfifo "$tmp/fifo/prog/config.ini"
[ ${#runas[@]} -gt 0 ] && chown -R "nobody:$group" "$tmp/fifo/prog"
end_by_sigterm fifo 1

# Neither the program's folder nor the user's can be written; the user's file is read.
prepare locked
printf '[dsxx]\r\nmei=45\r\n' >"$tmp/locked/config/Ocuvell/config.ini"
chmod 755 "$tmp/locked/prog" "$tmp/locked/config/Ocuvell"
chmod 644 "$tmp/locked/config/Ocuvell/config.ini"
[ ${#runas[@]} -eq 0 ] && chmod a-w "$tmp/locked/prog" "$tmp/locked/config/Ocuvell"
end_by_sigterm locked 0
chmod u+w "$tmp/locked/prog" "$tmp/locked/config/Ocuvell"
grep -qx $'mei=45\r' "$tmp/locked/config/Ocuvell/config.ini" || fail "locked: config.ini changed"

[ $failures -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
