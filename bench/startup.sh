#!/usr/bin/env bash
# Start-up, memory and idle cost of the real program next to a bare Qt 6 window, on a
# private Xorg with the dummy driver (and a notification area, so Ocuvell can hide to it).
# Usage: bench/startup.sh [BUILD_DIR] [SECONDS_PER_PHASE]   (defaults: build/release 60)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)
phase=${2:-60}
for p in xdotool trayer; do
  command -v $p >/dev/null || { SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo;
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $p >/dev/null; }
done
work=$(mktemp -d)
xdir="$work/x"
cleanup() { kill $(jobs -p) 2>/dev/null || true; bash "$root/scripts/xdummy.sh" stop "$xdir"; rm -rf "$work"; }
trap cleanup EXIT
export DISPLAY=$(bash "$root/scripts/xdummy.sh" start "$xdir")
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work"
trayer --edge top --align right --widthtype pixel --width 120 --height 24 >/dev/null 2>&1 &
sleep 1

g++ -O2 -std=c++20 -fPIC "$root/bench/bare/bare_window.cpp" -o "$work/bare" $(pkg-config --cflags --libs Qt6Widgets)
mkdir -p "$work/ocuvell"
cp "$build/ocuvell" "$work/ocuvell/ocuvell"

ms_now() { date +%s%N; }
# Wall time from exec to the program's first paint of its main window, in ms.
startup() { # exe -> prints ms, leaves the pid in $pid
  local log="$work/start.log"; : > "$log"
  local t0; t0=$(ms_now)
  OCUVELL_REPORT_SHOWN=1 "$1" 2>"$log" &
  pid=$!
  for _ in $(seq 1 2000); do grep -q '^shown' "$log" && break; sleep 0.002; done
  echo $(( ($(ms_now) - t0) / 1000000 ))
}
ctxt() { # pid [voluntary_|nonvoluntary_] -> context switches of all its threads
  cat /proc/"$1"/task/*/status | awk -v k="^${2:-}" '/ctxt_switches/ && $1 ~ k {s += $2} END {print s}'
}
cputicks() { awk '{print $14 + $15}' /proc/"$1"/stat; }
rss_kb() { awk '/VmRSS/ {print $2}' /proc/"$1"/status; }
# The program's own wake-ups are the voluntary switches; the others are the scheduler
# handing the core to another process, and grow with the machine's load.
idle() { # pid seconds -> "cpu_ms_per_s ctx_per_s (voluntary)"
  local c0 v0 t0 c1 v1 t1; c0=$(ctxt "$1"); v0=$(ctxt "$1" voluntary_); t0=$(cputicks "$1")
  sleep "$2"
  c1=$(ctxt "$1"); v1=$(ctxt "$1" voluntary_); t1=$(cputicks "$1")
  local hz; hz=$(getconf CLK_TCK)
  awk -v c=$((c1 - c0)) -v v=$((v1 - v0)) -v t=$((t1 - t0)) -v s="$2" -v hz="$hz" \
    'BEGIN {printf "%.2f %.2f (%.2f)", t * 1000 / hz / s, c / s, v / s}'
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

runs=5
bare_ms=$(for _ in $(seq $runs); do startup "$work/bare"; kill $pid; wait $pid 2>/dev/null || true; done | median)
ocu_ms=$(for _ in $(seq $runs); do startup "$work/ocuvell/ocuvell"; kill $pid; wait $pid 2>/dev/null || true; done | median)

startup "$work/bare" >/dev/null; bpid=$pid; sleep 10; bare_rss=$(rss_kb $bpid)
bare_idle=$(idle $bpid "$phase"); kill $bpid
startup "$work/ocuvell/ocuvell" >/dev/null; opid=$pid; sleep 10; ocu_rss=$(rss_kb $opid)
ocu_shown=$(idle $opid "$phase")
# Hide the main window with its minus image, as a user would.
wid=""
for w in $(xdotool search --pid $opid --onlyvisible 2>/dev/null); do
  # The main window, not the notification icon's window.
  [ "$(xdotool getwindowgeometry --shell "$w" | awk -F= '/WIDTH/ {print $2}')" = 641 ] && wid=$w
done
if [ -n "$wid" ]; then
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  xdotool mousemove $((X + 560)) $((Y + 8)) click 1; sleep 1
  xdotool mousemove 5 500
fi
ocu_hidden=$(idle $opid "$phase")
visible=$( [ -n "$wid" ] && xwininfo -id "$wid" | awk -F': ' '/Map State/ {print $2}')
kill $opid

printf '%-34s %10s %10s %8s\n' "" "Ocuvell" "bare Qt" "ratio"
printf '%-34s %10s %10s %8.2f\n' "start-up to first paint (ms)" "$ocu_ms" "$bare_ms" "$(awk -v a=$ocu_ms -v b=$bare_ms 'BEGIN{print a/b}')"
printf '%-34s %10s %10s %8.2f\n' "resident memory after 10 s (MB)" "$(awk -v k=$ocu_rss 'BEGIN{printf "%.1f", k/1024}')" "$(awk -v k=$bare_rss 'BEGIN{printf "%.1f", k/1024}')" "$(awk -v a=$ocu_rss -v b=$bare_rss 'BEGIN{print a/b}')"
printf '%-34s %20s %20s\n' "shown: CPU ms/s, ctx/s (voluntary)" "$ocu_shown" "$bare_idle"
printf '%-34s %20s   (main window afterwards: %s)\n' "hidden: CPU ms/s, ctx/s (voluntary)" "$ocu_hidden" "$visible"
