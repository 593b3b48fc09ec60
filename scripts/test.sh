#!/usr/bin/env bash
# Installs what is missing, builds Ocuvell twice (normal, and with AddressSanitizer +
# UndefinedBehaviorSanitizer), starts the X server the gamma tests need, and runs the
# whole suite on both builds. Ends with CTest's own summary.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/deps.sh test || { echo "could not install the build dependencies" >&2; exit 1; }

jobs=$(nproc 2>/dev/null || echo 2)
# What git says of the checkout now; the tests must leave it so.
tree_before=$(git status --porcelain 2>/dev/null)
# A later run, or a second checkout on the same machine, compiles only what changed.
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR="$root"
fi
build() { # dir, extra cmake args...
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"$dir.configure.log" 2>&1 \
    || { cat "$dir.configure.log"; return 1; }
  cmake --build "$dir" -j"$jobs" 2>&1 | grep -E 'error|warning|Error' ; return "${PIPESTATUS[0]}"
}
mkdir -p build
echo "== building (normal)"
build build/release || exit 1
echo "== building (address + undefined-behaviour sanitizers, libFuzzer targets)"
build build/asan -DOCUVELL_SANITIZE=ON -DOCUVELL_FUZZ=ON -DOCUVELL_BENCH=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ || exit 1

# The gamma tests talk to a private Xorg with the dummy driver, never to the user's display.
xdir="$root/build/xdummy"
stop_x() { bash "$root/scripts/xdummy.sh" stop "$xdir"; }
trap stop_x EXIT
if xdisplay=$(bash scripts/xdummy.sh start "$xdir"); then
  export OCUVELL_TEST_XDISPLAY="$xdisplay"
  echo "== X server with the dummy driver on $xdisplay"
else
  echo "== no X server for the gamma tests: they will report themselves skipped"
fi
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=offscreen
# A private runtime folder: the single-instance lock and Qt's own files stay out of
# the user's session.
export XDG_RUNTIME_DIR="$root/build/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

status=0
if [ -x scripts/test-windows.sh ]; then
  echo "== Windows build under Wine"
  bash scripts/test-windows.sh "$root/build/mingw" || status=1
fi
echo "== tests (normal build)"
# The first run's full log goes to a file; a failure prints it whole.
if ctest --test-dir build/release --output-on-failure -j"$jobs" --timeout 300 >build/ctest-release.log 2>&1; then
  tail -n 8 build/ctest-release.log
else
  cat build/ctest-release.log
  status=1
fi
echo "== tests (sanitizer build)"
ctest --test-dir build/asan --output-on-failure -j"$jobs" --timeout 600
[ $? -eq 0 ] || status=1
# No test writes into the checkout: what a run leaves behind belongs in build/.
tree_after=$(git status --porcelain 2>/dev/null)
if [ "$tree_after" != "$tree_before" ]; then
  echo "== the checkout changed during the tests:"
  diff <(echo "$tree_before") <(echo "$tree_after") | grep '^>' | cut -c3-
  status=1
fi
exit $status
