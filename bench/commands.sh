#!/usr/bin/env bash
# A command's whole round trip (process start to the change applied by the running copy and
# the reply printed) next to the start-up of a bare QCoreApplication process that exits at
# once, on a private Xorg with the dummy driver. The two start in turn, A B A B ..., so a
# drift of the machine's speed reaches both alike; each run prints the medians and the
# pair-by-pair ratio's median and spread. The command goes through the launcher where the
# build has one, as the installed `ocuvell` does.
# Usage: bench/commands.sh [BUILD_DIR] [PAIRS] [RUNS]   (defaults: build/release 21 3)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)
pairs=${2:-21}
runs=${3:-3}
work=$(mktemp -d)
. "$root/bench/private_x.sh"
g++ -O2 -std=c++20 -fPIC "$root/bench/bare/bare_core.cpp" -o "$work/bare_core" \
  $(pkg-config --cflags --libs Qt6Core)
prog=$work/ocuvell/ocuvell
# As installed on Linux: `ocuvell` is the launcher without Qt, the window program in
# libexec/ocuvell/ beside it.
if [ -x "$build/launcher/bin/ocuvell" ]; then
  mkdir -p "$work/ocuvell/bin" "$work/ocuvell/libexec/ocuvell"
  mv "$work/ocuvell/ocuvell" "$work/ocuvell/libexec/ocuvell/"
  cp "$build/launcher/bin/ocuvell" "$work/ocuvell/bin/"
  prog=$work/ocuvell/bin/ocuvell
fi
"$prog" >/dev/null 2>&1 &
for _ in $(seq 100); do "$prog" status >/dev/null 2>&1 && break; sleep 0.1; done
"$prog" status >/dev/null || { echo "the program does not answer" >&2; exit 1; }

# Milliseconds of one run of the command given.
timed() {
  local t0=$EPOCHREALTIME
  "$@" >/dev/null
  awk -v a="$t0" -v b="$EPOCHREALTIME" 'BEGIN {printf "%.2f\n", (b - a) * 1000}'
}
median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

for run in $(seq "$runs"); do
  : >"$work/cmd" >"$work/bare" >"$work/ratio"
  for i in $(seq "$pairs"); do
    step=+1; [ $((i % 2)) -eq 0 ] && step=-1
    c=$(timed "$prog" brightness "$step")
    b=$(timed "$work/bare_core")
    echo "$c" >>"$work/cmd"; echo "$b" >>"$work/bare"
    awk -v c="$c" -v b="$b" 'BEGIN {printf "%.3f\n", c / b}' >>"$work/ratio"
  done
  printf 'run %d: command %s ms, bare QCoreApplication %s ms (medians of %d); ratio %s (%s-%s)\n' \
    "$run" "$(median <"$work/cmd")" "$(median <"$work/bare")" "$pairs" "$(median <"$work/ratio")" \
    "$(sort -g "$work/ratio" | head -1)" "$(sort -g "$work/ratio" | tail -1)"
done
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
