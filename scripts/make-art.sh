#!/usr/bin/env bash
# Builds the artwork generator and redraws every picture into src/ui/assets/. The pictures
# are committed; run this after changing the generator and look at the results.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build/art"}
cmake -S "$root" -B "$build" -DOCUVELL_TESTS=OFF -DOCUVELL_BENCH=OFF -DOCUVELL_ARTGEN=ON >/dev/null
cmake --build "$build" --target ocuvell_artgen -j"$(nproc 2>/dev/null || echo 2)"
QT_QPA_PLATFORM=offscreen "$build/tools/ocuvell_artgen" "$root/src/ui/assets"
echo "pictures written to $root/src/ui/assets"
