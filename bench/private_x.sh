# Sourced by the start-up benchmarks after root, build and work are set: a private Xorg with
# the dummy driver, the program's folders in the scratch area, and the two programs to
# compare in it: $work/bare (a bare Qt 6 window) and $work/ocuvell/ocuvell.
xdir="$work/x"
cleanup() { kill $(jobs -p) 2>/dev/null || true; bash "$root/scripts/xdummy.sh" stop "$xdir"; rm -rf "$work"; }
trap cleanup EXIT
export DISPLAY=$(bash "$root/scripts/xdummy.sh" start "$xdir")
unset WAYLAND_DISPLAY
# Private folders: the program's settings, remembered ramps and lock stay in the scratch area.
mkdir -m 700 "$work/run"
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" \
  XDG_STATE_HOME="$work/state" HOME="$work"
g++ -O2 -std=c++20 -fPIC "$root/bench/bare/bare_window.cpp" -o "$work/bare" $(pkg-config --cflags --libs Qt6Widgets)
mkdir -p "$work/ocuvell"
cp "$build/ocuvell" "$work/ocuvell/ocuvell"
if [ -f "$build/monitor.txt" ]; then cp "$build/monitor.txt" "$work/ocuvell/"; fi
