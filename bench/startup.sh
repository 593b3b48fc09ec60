#!/usr/bin/env bash
# Start-up, memory and idle cost of the real program next to a bare Qt 6 window, on a
# private Xorg with the dummy driver (and a notification area, so Ocuvell can hide to it;
# "nopanel" leaves it out, as on a desktop without one, where the minus minimises).
# Usage: bench/startup.sh [BUILD_DIR] [SECONDS_PER_IDLE_PHASE] [RUNS] [panel|nopanel]
#        (defaults: build/release 60 9 panel; an idle phase of 0 measures start-up and
#        memory only)
# Start-up is the wall time from the start of the process to its "shown" line (its first
# paint), read from a pipe: the script waits in a blocking read and takes no CPU from the
# program meanwhile. The two programs start in turn, A B A B ..., so a drift of the
# machine's speed reaches both alike.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)
phase=${2:-60}
runs=${3:-9}
panel=${4:-panel}
for p in xdotool trayer xwininfo; do
  command -v $p >/dev/null || { SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo;
    pkg=$p; [ $p = xwininfo ] && pkg=x11-utils
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $pkg >/dev/null; }
done
work=$(mktemp -d)
. "$root/bench/private_x.sh"
if [ "$panel" = panel ]; then
  trayer --edge top --align right --widthtype pixel --width 120 --height 24 >/dev/null 2>&1 &
  sleep 1
fi
# The pointer rests in the bottom left corner, away from every window, as for a user at
# work elsewhere: a pointer over a switch would rightly keep its hover poll running.
away() { xdotool mousemove 2 1077; }
away

# Starts exe; leaves the milliseconds to its "shown" line in $ms and its pid in $pid (not
# in a subshell: the program must stay this shell's child). The pipe stays open until
# stop, so a later line never meets a closed pipe.
startup() {
  local t0 t1 line
  t0=$EPOCHREALTIME
  coproc PROG { exec "$1" --report-shown 2>&1 >/dev/null; }
  pid=$PROG_PID
  exec {out}<&"${PROG[0]}"
  ms=""
  while IFS= read -r -u "$out" line; do
    [ "$line" = shown ] && { t1=$EPOCHREALTIME; break; }
  done
  [ -n "${t1:-}" ] && ms=$(awk -v a="$t0" -v b="$t1" 'BEGIN {printf "%.1f", (b - a) * 1000}')
  [ -n "$ms" ] || { echo "startup: $1 ended without a first paint" >&2; exit 1; }
}
stop() { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; exec {out}<&-; }
ctxt() { # pid [voluntary_|nonvoluntary_] -> "tid switches" for each of its threads
  local f
  for f in /proc/"$1"/task/*/status; do
    awk -v k="^${2:-}" '/^Pid:/ {t = $2} /ctxt_switches/ && $1 ~ k {s += $2} END {if (t != "") print t, s}' "$f" 2>/dev/null
  done
}
# Switches between two ctxt snapshots, thread by thread: a thread started meanwhile counts
# from zero, and one that ended counts its last wake only (its own count went with it).
ctxt_delta() { awk 'NR == FNR {a[$1] = $2; next} {d += $2 - ($1 in a ? a[$1] : 0); seen[$1] = 1}
  END {for (t in a) if (!(t in seen)) d += 1; print d}' <(echo "$1") <(echo "$2"); }
# CPU time of all its threads in nanoseconds (the scheduler's own count: /proc/PID/stat
# counts in 10 ms ticks, too coarse for a program that sleeps almost all the time).
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {printf "%d", s}'; }
rss_kb() { awk '/VmRSS/ {print $2}' /proc/"$1"/status; }
# The resident pages of the font files mapped (the glyphs drawn, and what the font engine
# reads to hint them, with the pages the kernel maps around each read): shared with every
# program that shows the same font, and a window of CJK text has more of them than a Latin
# one, so the memory line also shows each program without them.
font_kb() { awk '/^[0-9a-f]+-/ {font = ($6 ~ /\.(ttf|ttc|otf|otc|pfb|pcf(\.gz)?)$/)}
  /^Rss:/ && font {s += $2} END {print s + 0}' /proc/"$1"/smaps; }
# The program's own wake-ups are the voluntary switches; the others are the scheduler
# handing the core to another process, and grow with the machine's load.
idle() { # pid seconds -> "cpu_ms_per_s ctx_per_s (voluntary)"
  local c0 v0 t0 c1 v1 t1; c0=$(ctxt "$1"); v0=$(ctxt "$1" voluntary_); t0=$(cpu_ns "$1")
  sleep "$2"
  c1=$(ctxt "$1"); v1=$(ctxt "$1" voluntary_); t1=$(cpu_ns "$1")
  awk -v c="$(ctxt_delta "$c0" "$c1")" -v v="$(ctxt_delta "$v0" "$v1")" -v t=$((t1 - t0)) \
    -v s="$2" 'BEGIN {printf "%.3f %.2f (%.2f)", t / 1e6 / s, c / s, v / s}'
}
# "median (min-max)" of the numbers on standard input.
spread() { sort -n | awk '{a[NR]=$1} END {printf "%s (%s-%s)", a[int((NR+1)/2)], a[1], a[NR]}'; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# One warm-up each (the disk cache, the font cache), then the counted runs in turn.
startup "$work/bare"; stop
startup "$work/ocuvell/ocuvell"; stop
: > "$work/bare.ms"; : > "$work/ocu.ms"; : > "$work/ratio"
for _ in $(seq "$runs"); do
  startup "$work/bare"; b=$ms; stop
  startup "$work/ocuvell/ocuvell"; o=$ms; stop
  echo "$b" >> "$work/bare.ms"; echo "$o" >> "$work/ocu.ms"
  awk -v a="$o" -v b="$b" 'BEGIN {printf "%.2f\n", a / b}' >> "$work/ratio"
done

startup "$work/bare"; bpid=$pid; sleep 10; bare_rss=$(rss_kb $bpid); bare_font=$(font_kb $bpid)
[ "$phase" -gt 0 ] && bare_idle=$(idle $bpid "$phase")
stop
startup "$work/ocuvell/ocuvell"; opid=$pid; sleep 10; ocu_rss=$(rss_kb $opid); ocu_font=$(font_kb $opid)
if [ "$phase" -gt 0 ]; then
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
    away; sleep 1
  fi
  ocu_hidden=$(idle $opid "$phase")
  visible=$( [ -n "$wid" ] && xwininfo -id "$wid" | awk -F': ' '/Map State/ {print $2}')
fi
stop

printf 'start-up to first paint, %s runs each in turn: median (min-max)\n' "$runs"
printf '  %-26s %s ms\n' "Ocuvell" "$(spread < "$work/ocu.ms")"
printf '  %-26s %s ms\n' "bare Qt window" "$(spread < "$work/bare.ms")"
printf '  %-26s %s\n' "ratio, pair by pair" "$(spread < "$work/ratio")"
printf '  %-26s %.2f\n' "ratio of the medians" "$(awk -v a="$(median < "$work/ocu.ms")" -v b="$(median < "$work/bare.ms")" 'BEGIN {print a / b}')"
printf 'resident memory after 10 s: Ocuvell %.1f MB, bare Qt %.1f MB, ratio %.2f\n' \
  "$(awk -v k=$ocu_rss 'BEGIN{print k/1024}')" "$(awk -v k=$bare_rss 'BEGIN{print k/1024}')" \
  "$(awk -v a=$ocu_rss -v b=$bare_rss 'BEGIN{print a/b}')"
printf '  without font files: Ocuvell %.1f MB, bare Qt %.1f MB, ratio %.2f (font files %.1f MB, %.1f MB)\n' \
  "$(awk -v k=$((ocu_rss - ocu_font)) 'BEGIN{print k/1024}')" \
  "$(awk -v k=$((bare_rss - bare_font)) 'BEGIN{print k/1024}')" \
  "$(awk -v a=$((ocu_rss - ocu_font)) -v b=$((bare_rss - bare_font)) 'BEGIN{print a/b}')" \
  "$(awk -v k=$ocu_font 'BEGIN{print k/1024}')" "$(awk -v k=$bare_font 'BEGIN{print k/1024}')"
if [ "$phase" -gt 0 ]; then
  # Wake-ups: voluntary plus involuntary context switches of all the process's threads.
  wakes() { awk '{print $2}' <<< "$1"; }
  printf 'idle wake-ups/s over %s s, pointer away (goal: at most 0.1):\n' "$phase"
  printf '  %-26s %s\n' "Ocuvell shown" "$(wakes "$ocu_shown")" "Ocuvell after the minus" "$(wakes "$ocu_hidden")" \
    "bare Qt window" "$(wakes "$bare_idle")"
  printf '%-36s %20s %20s\n' "idle, $phase s: CPU ms/s, ctx/s (voluntary)" "Ocuvell" "bare Qt"
  printf '%-36s %20s %20s\n' "  main window shown" "$ocu_shown" "$bare_idle"
  printf '%-36s %20s   (main window afterwards: %s)\n' "  after the minus ($panel)" "$ocu_hidden" "$visible"
fi
