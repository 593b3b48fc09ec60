#!/usr/bin/env bash
# Instructions to first paint (callgrind) of Ocuvell and of the bare Qt window, on a private
# Xorg with the dummy driver, and a picture of Ocuvell's first frame. Instruction counts
# repeat from run to run within a few tenths of a per cent, whatever the machine's load, so
# they show what a change to the start-up saves where a wall-time ratio drowns it.
# Usage: bench/first_paint.sh [BUILD_DIR] [FIRST_FRAME_PNG] [CALLGRIND_OUT_DIR]
#        (the picture is the main window as X holds it, taken with ImageMagick's import once
#        it has painted; compare two with `compare -metric AE a.png b.png null:`)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)
png=${2:-}
keep=${3:-}
work=$(mktemp -d)
. "$root/bench/private_x.sh"

# Runs exe under callgrind up to its "shown" line, dumps the counts there and ends it;
# prints the instructions counted. A first plain run fills the font cache.
count() { # exe name
  local line pid ir
  timeout 20 "$1" --report-shown 2>/dev/null | { read -r _ || true; } || true
  coproc CG { exec valgrind --tool=callgrind --log-file="$work/$2.log" \
    --callgrind-out-file="$work/$2.cg" "$1" --report-shown 2>&1 >/dev/null; }
  pid=$CG_PID
  exec {out}<&"${CG[0]}"
  while IFS= read -r -u "$out" line; do [ "$line" = shown ] && break; done
  callgrind_control -d "$pid" >/dev/null 2>&1
  if [ "$2" = ocuvell ] && [ -n "$png" ]; then
    sleep 2 # the window on screen as painted, before the large icon joins
    local wid
    wid=$(xdotool search --onlyvisible --name '^Ocuvell$' 2>/dev/null | head -1)
    import -window "$wid" "$png"
  fi
  kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; exec {out}<&-
  ir=$(awk '/^summary:|^totals:/ {print $2; exit}' "$work/$2.cg".*)
  printf '  %-26s %6.1f M\n' "$2" "$(awk -v n="$ir" 'BEGIN {print n / 1e6}')"
  [ -z "$keep" ] || cp "$work/$2.cg".* "$keep/"
}
echo "instructions to first paint (callgrind):"
count "$work/bare" bare
count "$work/ocuvell/ocuvell" ocuvell
