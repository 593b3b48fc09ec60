#!/usr/bin/env bash
# Night colour in the real program on a private Xorg, at a fixed place (Shanghai's
# coordinates, UTC+8) and a faked time of day: before, during and after the evening's
# change, with and without eye protection, the CRTC's ramp equals the one the model computes
# (night_ramp) within one step of 8 bits; with night colour off it is the ramp without it.
# Usage: check_night_x11.sh PROGRAM NIGHT_RAMP GAMMA_DUMP SOURCE_DIR
set -uo pipefail
program=$1 night_ramp=$2 gamma_dump=$3 src=$4
. "$src/tests/install/lib.sh"

needs xdotool
# libfaketime preloaded into the program itself (not through the faketime wrapper, which
# would stand between the check and the process it stops).
faketime_lib=$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -n 1)
[ -n "$faketime_lib" ] || { echo "libfaketime is not installed: skipped" >&2; exit 77; }
use_private_x

mkdir -p "$tmp/prog" "$tmp/home" "$tmp/runtime" "$tmp/state"
chmod 700 "$tmp/runtime"
cp "$program" "$tmp/prog/ocuvell"
export TZ=Asia/Shanghai

# One start at a local time: the CRTC's ramp against the model's for the same moment.
check_at() { # LOCAL_TIME EYE NIGHT WHAT
  printf '[eye]\r\nliangdu=-10\r\nduibidu=90\r\nrgbr=0\r\nrgbg=-5\r\nrgbb=-15\r\npdrun=%s\r\n[more]\r\nnight_colour=%s\r\nnight_kelvin=3400\r\nnight_place=31.23,121.47\r\n' \
    "$2" "$3" >"$tmp/prog/config.ini"
  env -i PATH=/usr/bin:/bin HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/runtime" \
      XDG_STATE_HOME="$tmp/state" DISPLAY="$display" TZ="$TZ" LANG=C.UTF-8 BROWSER=true \
      LD_PRELOAD="$faketime_lib" FAKETIME="@2025-03-20 $1" \
      "$tmp/prog/ocuvell" >"$tmp/run.out" 2>"$tmp/run.err" &
  local pid=$!
  pids+=("$pid")
  wait_for 20 has_main_window || { fail "$4: no main window"; cat "$tmp/run.err" >&2; return; }
  sleep 1
  local utc
  utc=$(date -d "2025-03-20 $1" +%s)
  "$night_ramp" "$tmp/prog" "$((utc + 2))" 28800 >"$tmp/model.txt" 2>"$tmp/model.err"
  "$gamma_dump" "$display" first | tail -n +2 >"$tmp/crtc.txt"
  local off
  off=$(awk 'NR == FNR { m[NR - 1] = $1; next }
             { for (c = 0; c < 3; ++c) { d = $(c + 2) - m[c * 256 + $1]; if (d < 0) d = -d;
                                          if (d > most) most = d } }
             END { print most + 0 }' "$tmp/model.txt" "$tmp/crtc.txt")
  if [ "$(wc -l <"$tmp/crtc.txt")" -eq 256 ] && [ "$off" -le 257 ]; then
    ok "$4: the CRTC ramp is the model's ($(cat "$tmp/model.err" | sed 's/night_ramp: //'), at most $off off)"
  else
    fail "$4: the CRTC ramp is $off off the model's"
  fi
  kill -TERM "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}

for eye in 0 1; do
  check_at 15:00:00 "$eye" 1 "day, eye mode $eye"
  check_at 18:10:00 "$eye" 1 "the evening's change, eye mode $eye"
  check_at 21:00:00 "$eye" 1 "night, eye mode $eye"
done
# Night colour off at night: eye protection's ramp, exactly as without night colour.
check_at 21:00:00 1 0 "night colour off, eye mode 1"
[ $failures -eq 0 ] || { echo "$failures check(s) failed" >&2; cat "$tmp/run.err" >&2; exit 1; }
