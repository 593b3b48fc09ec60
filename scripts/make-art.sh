#!/usr/bin/env bash
# Builds the artwork generator and redraws every picture into src/ui/assets/ (or into the
# folder given as the second argument). The pictures are committed; run this after
# changing the generator and look at the results. Another machine's rasteriser changes
# every picture slightly, and pixel comparisons depend on them: to add a picture, draw
# into a scratch folder and copy only the new ones.
#   scripts/make-art.sh [BUILD-DIR [OUTPUT-DIR]]
#   scripts/make-art.sh --icon [BUILD-DIR]   rebuilds ocuvell.ico from the committed leaves
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
icon=()
if [ "${1:-}" = --icon ]; then
  icon=(--icon)
  shift
fi
build=${1:-"$root/build/art"}
out=${2:-"$root/src/ui/assets"}
cmake -S "$root" -B "$build" -DOCUVELL_TESTS=OFF -DOCUVELL_BENCH=OFF -DOCUVELL_ARTGEN=ON >/dev/null
cmake --build "$build" --target ocuvell_artgen -j"$(nproc 2>/dev/null || echo 2)"
QT_QPA_PLATFORM=offscreen "$build/tools/ocuvell_artgen" "${icon[@]}" "$out"
echo "pictures written to $out"
