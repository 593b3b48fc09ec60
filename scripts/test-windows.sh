#!/usr/bin/env bash
# Cross-builds the core, the Windows implementations and their tests with mingw-w64 as
# static .exe files and runs them under Wine, in a Wine prefix inside the build folder;
# then builds the Windows program and its packages (scripts/windows.sh) and checks them
# under Wine (tests/windows/check_program.sh).
# The gamma tests reach the private Xorg with the dummy driver that scripts/test.sh starts
# (OCUVELL_TEST_XDISPLAY); the X server's ramp is then read back natively.
# Without mingw-w64 or a working Wine the Windows tests report themselves skipped.
# Usage: scripts/test-windows.sh [BUILD_DIR]   (default build/mingw)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/mingw}
mkdir -p "$build" && build=$(cd "$build" && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

skip() {
  echo "== Windows tests under Wine: SKIPPED ($*)"
  exit 0
}
fail() {
  echo "== Windows tests under Wine: FAILED ($*)"
  exit 1
}

command -v x86_64-w64-mingw32-g++-posix >/dev/null || command -v x86_64-w64-mingw32-g++ >/dev/null ||
  skip "no mingw-w64 compiler; Debian package g++-mingw-w64-x86-64"
wine=$(command -v wine || command -v wine64 || ls /usr/lib/wine/wine64 2>/dev/null) ||
  skip "Wine is not installed; Debian package wine64"
wineserver=$(command -v wineserver || ls /usr/lib/wine/wineserver64 2>/dev/null) ||
  skip "no wineserver beside Wine"
[ -f /usr/src/googletest/CMakeLists.txt ] || skip "no GoogleTest source in /usr/src/googletest (libgtest-dev)"

echo "-- cross-building in $build"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOCUVELL_BENCH=OFF >"$build/configure.log" 2>&1 ||
  { tail -n 30 "$build/configure.log"; fail "the cross build does not configure"; }
if ! cmake --build "$build" -j"$jobs" >"$build/build.log" 2>&1; then
  grep -E 'error|Error' "$build/build.log" | head -n 40
  fail "the cross build does not compile"
fi
grep -E 'warning:' "$build/build.log" | sort -u | head -n 20

# A prefix of our own; no Mono or Gecko installers, no debug chatter.
export WINEPREFIX="$build/wineprefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# An English locale: its ANSI code page (1252) has no Chinese, as on many users' machines
# whose user name is Chinese, so a narrow path anywhere shows. Wine takes its file names'
# encoding from the host's locale, so one not installed here is compiled into the build
# folder (without it Wine reaches no file named outside ASCII at all).
unset LC_ALL LC_CTYPE
if ! locale -a 2>/dev/null | grep -qix 'en_US\.utf-\?8'; then
  [ -f "$build/locale/en_US.UTF-8/LC_CTYPE" ] || { mkdir -p "$build/locale" &&
    localedef -i en_US -f UTF-8 "$build/locale/en_US.UTF-8" >/dev/null 2>&1; } ||
    fail "no en_US.UTF-8 locale and localedef cannot make one (Debian package locales)"
  export LOCPATH="$build/locale"
fi
export LANG=en_US.UTF-8
if [ -n "${OCUVELL_TEST_XDISPLAY:-}" ]; then
  export DISPLAY="$OCUVELL_TEST_XDISPLAY"
else
  unset DISPLAY
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "-- creating the Wine prefix (the first start takes a while)"
  DISPLAY='' timeout 300 "$wine" wineboot -i >"$build/wineboot.log" 2>&1 ||
    { rm -rf "$WINEPREFIX"; skip "Wine does not start here: wineboot failed, see $build/wineboot.log"; }
fi
# One wine server for all the programs below, stopped on the way out.
"$wineserver" -p
trap '"$wineserver" -k 2>/dev/null' EXIT
timeout 120 "$wine" cmd /c exit >"$build/wine-start.log" 2>&1 ||
  skip "Wine does not run a program here, see $build/wine-start.log"

status=0
problems=()
echo "-- test programs under Wine${DISPLAY:+ (X display $DISPLAY)}"
ctest --test-dir "$build" --output-on-failure -j1 --timeout 120 | tail -n 20
[ "${PIPESTATUS[0]}" -eq 0 ] || { status=1; problems+=("test programs"); }
log="$build/Testing/Temporary/LastTest.log"
cases=$(grep -c '^\[       OK \] Scripts/ProfileDifferential' "$log" 2>/dev/null)
known=$(grep -c '^Known Wine difference' "$log" 2>/dev/null)
# The remembered ramps across restarts through GDI skip themselves without an X server.
restarts=$(grep -c '^\[       OK \] GdiRestart\.' "$log" 2>/dev/null)
restarts_skipped=$(grep -c '^\[  SKIPPED \] GdiRestart\.' "$log" 2>/dev/null)

# The program's folder at the root of a drive ("C:\"), and named in Chinese with an emoji,
# which the ANSI code page cannot spell.
exe="$build/tests/windows/paths_win32_test.exe"
odd="$WINEPREFIX/drive_c/护眼 🌿 Ocuvell"
mkdir -p "$odd" && cp "$exe" "$WINEPREFIX/drive_c/" && cp "$exe" "$odd/"
for place in 'C:\paths_win32_test.exe' 'C:\护眼 🌿 Ocuvell\paths_win32_test.exe'; do
  if timeout 120 "$wine" "$place" >"$build/paths-run.log" 2>&1; then
    echo "-- settings beside the program at $place: ok"
  else
    cat "$build/paths-run.log"
    status=1
    problems+=("program folder at $place")
  fi
done

# Gamma: a ramp applied through GDI under Wine, read back from the X server natively.
gamma="skipped (no X server with the dummy driver)"
if [ -n "${DISPLAY:-}" ]; then
  gamma="failed"
  handoff="$build/gamma-handoff.txt"
  rm -f "$handoff"
  checker="$build/x_gamma_check"
  if ! c++ -std=c++20 -O1 -o "$checker" "$root/tests/windows/x_gamma_check.cpp" -lXrandr -lX11 -ldl; then
    status=1
    problems+=("native gamma reader does not build")
  elif ! OCUVELL_GAMMA_HANDOFF="Z:$handoff" timeout 120 "$wine" \
      "$build/tests/windows/gdi_display_test.exe" --gtest_filter='GdiHandOff.*' >"$build/gamma-run.log" 2>&1 ||
      [ ! -s "$handoff" ]; then
    cat "$build/gamma-run.log"
    status=1
    if grep -q 'gives no gamma ramp' "$build/gamma-run.log"; then
      problems+=("Wine reaches no gamma on $DISPLAY: it needs libXxf86vm (package libxxf86vm1)")
    else
      problems+=("applying a ramp through GDI")
    fi
  elif "$checker" "$handoff"; then
    gamma="ok"
  else
    status=1
    problems+=("the X server's ramp")
  fi
fi

# The Windows program itself: ocuvell.exe against Qt for Windows (from its cache, or built
# into it first), its zip and installer, then used under Wine as a user would, on an X
# server, a Wine prefix and a tray panel of its own (tests/windows/check_program.sh).
program="failed"
out="$root/build/windows"
# A throwaway code-signing certificate made for this run: the program and its packages are
# signed with it, and the program check verifies every signature against it.
signing="$build/signing"
make_signing_certificate() {
  rm -rf "$signing" && mkdir -p "$signing" &&
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Ocuvell test signing/O=Tevaro" \
      -addext extendedKeyUsage=codeSigning -addext keyUsage=digitalSignature \
      -keyout "$signing/key.pem" -out "$signing/cert.pem" >"$signing/openssl.log" 2>&1 &&
    head -c 18 /dev/urandom | base64 >"$signing/password" &&
    openssl pkcs12 -export -inkey "$signing/key.pem" -in "$signing/cert.pem" \
      -passout "file:$signing/password" -out "$signing/test.pfx" >>"$signing/openssl.log" 2>&1 &&
    export OCUVELL_SIGN_PFX="$signing/test.pfx" OCUVELL_SIGN_PASSWORD_FILE="$signing/password"
}
# Qt for Windows is built once into its cache (about half an hour on two idle cores) and
# taken from there on every later run.
qt_built=""
if ! bash "$root/scripts/qt-windows.sh" --cached >/dev/null 2>&1; then
  echo "-- building Qt for Windows into its cache first (scripts/qt-windows.sh; once per machine)"
  started=$(date +%s)
  if bash "$root/scripts/qt-windows.sh" >"$build/qt-windows.log" 2>&1; then
    qt_built="Qt for Windows built in $(($(date +%s) - started)) s; "
    echo "-- ${qt_built%; }"
  else
    tail -n 30 "$build/qt-windows.log"
  fi
fi
if ! bash "$root/scripts/qt-windows.sh" --cached >/dev/null 2>&1; then
  status=1
  problems+=("building Qt for Windows (log: $build/qt-windows.log)")
elif ! make_signing_certificate; then
  status=1
  problems+=("making a throwaway signing certificate with openssl")
elif ! { echo "-- the Windows program (scripts/windows.sh, Qt for Windows from the cache)"
         started=$(date +%s); bash "$root/scripts/windows.sh" "$out" >"$build/windows-program.log" 2>&1; }; then
  tail -n 30 "$build/windows-program.log"
  status=1
  problems+=("building the Windows program or its packages")
else
  echo "-- built in $(($(date +%s) - started)) s; checking it under Wine"
  checker="$build/x_gamma_check"
  [ -x "$checker" ] || c++ -std=c++20 -O1 -o "$checker" "$root/tests/windows/x_gamma_check.cpp" -lXrandr -lX11 -ldl
  started=$(date +%s)
  if bash "$root/tests/windows/check_program.sh" "$out" "$root" "$build" "$checker" "$signing/cert.pem" 2>&1 |
      tee "$build/windows-program-check.log"; [ "${PIPESTATUS[0]}" -eq 0 ]; then
    program="ok (${qt_built}$(grep -c '^ok:' "$build/windows-program-check.log") checks in $(($(date +%s) - started)) s)"
  else
    status=1
    problems+=("the Windows program under Wine")
  fi
fi

summary="settings differential: ${cases:-0} cases, ${known:-0} with a known Wine difference; gamma on the X server: $gamma; restarts through GDI: ${restarts:-0} cases ran, ${restarts_skipped:-0} skipped; the program: $program"
if [ $status -eq 0 ]; then
  echo "== Windows tests under Wine: PASSED ($summary)"
else
  echo "== Windows tests under Wine: FAILED (${problems[*]}; $summary)"
fi
exit $status
