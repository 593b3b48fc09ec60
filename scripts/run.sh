#!/usr/bin/env bash
# Installs what is missing, builds Ocuvell and starts it. Without a display it starts
# a private X server (Xorg, dummy driver) for it, saves a screenshot and runs until Ctrl-C.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/deps.sh run
mkdir -p build
echo "Building Ocuvell (build/app)..."
if ! { cmake -S . -B build/app -DCMAKE_BUILD_TYPE=Release -DOCUVELL_TESTS=OFF -DOCUVELL_BENCH=OFF &&
       cmake --build build/app -j"$(nproc 2>/dev/null || echo 2)" --target ocuvell; } >build/app.log 2>&1; then
  cat build/app.log
  echo "The build failed (log above, also in build/app.log)." >&2
  exit 1
fi
exe="$root/build/app/ocuvell"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display here: starting Ocuvell on a private virtual X server (Xorg, dummy driver)."
  xdir="$root/build/run-xdummy"
  if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$root/build/run-runtime"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  fi
  trap 'bash "$root/scripts/xdummy.sh" stop "$xdir"' EXIT
  export DISPLAY=$(bash scripts/xdummy.sh start "$xdir")
  shot="$root/build/ocuvell-screenshot.png"
  rm -f "$shot"
  "$exe" --screenshot="$shot" &
  pid=$!
  trap 'kill $pid 2>/dev/null; bash "$root/scripts/xdummy.sh" stop "$xdir"' EXIT INT TERM
  for _ in $(seq 1 100); do [ -s "$shot" ] && break; sleep 0.1; done
  [ -s "$shot" ] && echo "Screenshot of the main window: $shot"
  echo "Ocuvell is running on $DISPLAY. Press Ctrl-C to stop."
  wait $pid || true
else
  exec "$exe"
fi
