#!/usr/bin/env bash
# Builds the Windows program and its two packages, with one command:
#   build/windows/ocuvell-<version>-win64.zip        the portable folder (ocuvell.exe at
#                                                     the top; settings beside it)
#   build/windows/ocuvell-<version>-win64-setup.exe  the installer (settings in
#                                                     %APPDATA%\Ocuvell)
# Qt for Windows comes from scripts/qt-windows.sh: from its cache in seconds, or built
# there first (about an hour of CPU time) when the cache has none.
# Signing: with OCUVELL_SIGN_PFX (a PKCS#12 file) and OCUVELL_SIGN_PASSWORD_FILE (a file
# holding its password), and optionally OCUVELL_SIGN_TIMESTAMP (an RFC 3161 server),
# ocuvell.exe, every DLL, the installer and its uninstaller are signed with osslsigncode
# (scripts/sign-windows.sh); without them everything is built unsigned, and it says so.
# Usage: scripts/windows.sh [OUT_DIR]   (default build/windows)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/windows}
mkdir -p "$out" && out=$(cd "$out" && pwd)
say() { echo "windows: $*"; }

for tool in makensis zip x86_64-w64-mingw32-strip; do
  command -v "$tool" >/dev/null || { say "missing $tool (scripts/deps.sh windows installs it)" >&2; exit 1; }
done
if [ -n "${OCUVELL_SIGN_PFX:-}${OCUVELL_SIGN_PASSWORD_FILE:-}" ]; then
  command -v osslsigncode >/dev/null || { say "missing osslsigncode (scripts/deps.sh windows installs it)" >&2; exit 1; }
  say "signing with $OCUVELL_SIGN_PFX${OCUVELL_SIGN_TIMESTAMP:+, timestamps from $OCUVELL_SIGN_TIMESTAMP}"
else
  say "UNSIGNED build: set OCUVELL_SIGN_PFX and OCUVELL_SIGN_PASSWORD_FILE to sign (Windows warns about unsigned downloads)"
fi
qt=$(bash "$root/scripts/qt-windows.sh" | tail -n 1)
[ -x "$qt/bin/qt-cmake" ] || { say "no Qt for Windows" >&2; exit 1; }

build="$out/build"
log="$out/build.log"
# A folder configured against another Qt would keep finding that one in its cache.
if [ -f "$build/CMakeCache.txt" ] && ! grep -qxF "Qt6Core_DIR:PATH=$qt/lib/cmake/Qt6Core" "$build/CMakeCache.txt"; then
  say "another Qt for Windows configured $build: starting it afresh"
  rm -rf "$build"
fi
say "building ocuvell.exe against $qt (log: $log)"
if ! { "$qt/bin/qt-cmake" -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
         -DOCUVELL_TESTS=OFF -DOCUVELL_BENCH=OFF \
         -DCMAKE_STRIP="$(command -v x86_64-w64-mingw32-strip)" &&
       cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)"; } >"$log" 2>&1; then
  grep -E 'error|Error|FAILED' "$log" | head -n 40 >&2 || tail -n 40 "$log" >&2
  say "the build failed" >&2
  exit 1
fi
grep -E 'warning:' "$log" | sort -u | head -n 20 || true
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

# The portable folder and its zip, the files at the zip's top level.
portable="$out/ocuvell-$version-win64"
zipfile="$out/ocuvell-$version-win64.zip"
rm -rf "$portable" "$zipfile"
cmake --install "$build" --component portable --prefix "$portable" --strip >>"$log" 2>&1
find "$portable" -type f \( -name '*.exe' -o -name '*.dll' \) -print0 |
  xargs -0 bash "$root/scripts/sign-windows.sh"
(cd "$portable" && zip -q -r -X -9 "$zipfile" .)
say "$zipfile ($(du -k "$zipfile" | cut -f1) KiB)"

# The installer, from the "installed" component.
setup="$out/ocuvell-$version-win64-setup.exe"
rm -rf "$out/cpack" "$setup"
if ! (cd "$build" && cpack -G NSIS64 -B "$out/cpack") >>"$log" 2>&1; then
  tail -n 30 "$log" >&2
  say "makensis failed" >&2
  exit 1
fi
mv "$out/cpack/ocuvell-$version-win64-setup.exe" "$setup"
bash "$root/scripts/sign-windows.sh" "$setup"
say "$setup ($(du -k "$setup" | cut -f1) KiB)${OCUVELL_SIGN_PFX:+, signed}"
