#!/usr/bin/env bash
# Redraws the README's picture of the Windows program, docs/screens/form1-windows.png: the
# portable copy from scripts/windows.sh started under Wine (English locale, fresh prefix)
# on a private Xorg with the dummy driver, its main window captured. The picture is
# committed; run this after changing how the main window looks and look at the result.
# The tests never write it.
# Usage: scripts/screens-windows.sh [OUT_DIR]   (default build/windows; built there first
#        when it holds no zip)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/windows}
mkdir -p "$out" && out=$(cd "$out" && pwd)
zipfile=$(ls "$out"/ocuvell-*-win64.zip 2>/dev/null | head -n 1 || true)
[ -n "$zipfile" ] || { bash "$root/scripts/windows.sh" "$out" && zipfile=$(ls "$out"/ocuvell-*-win64.zip | head -n 1); }
wine=$(command -v wine || command -v wine64 || ls /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || ls /usr/lib/wine/wineserver64)

work="$out/screens"
rm -rf "$work" && mkdir -p "$work"
export WINEPREFIX="$work/wineprefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset LC_ALL LC_CTYPE
if ! locale -a 2>/dev/null | grep -qix 'en_US\.utf-\?8'; then
  localedef -i en_US -f UTF-8 "$work/locale/en_US.UTF-8" >/dev/null 2>&1 || true
  export LOCPATH="$work/locale"
fi
export LANG=en_US.UTF-8
xdir="$work/xdummy"
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  bash "$root/scripts/xdummy.sh" stop "$xdir" >/dev/null 2>&1 || true
}
trap cleanup EXIT
DISPLAY=$(bash "$root/scripts/xdummy.sh" start "$xdir")
export DISPLAY
timeout 300 "$wine" wineboot -i >"$work/wineboot.log" 2>&1
mkdir -p "$WINEPREFIX/drive_c/Ocuvell" && (cd "$WINEPREFIX/drive_c/Ocuvell" && unzip -q "$zipfile")
"$wine" 'C:\Ocuvell\ocuvell.exe' >"$work/run.log" 2>&1 &
disown # ended with the wine server on the way out
win=
for _ in $(seq 600); do
  win=$(xdotool search --onlyvisible --name '^Ocuvell$' 2>/dev/null | head -n 1) && [ -n "$win" ] && break
  sleep 0.2
done
[ -n "$win" ] || { echo "screens: no main window (log: $work/run.log)" >&2; exit 1; }
sleep 3 # the first frame and the load step's overlay
shot="$root/docs/screens/form1-windows.png"
import -window "$win" "$shot"
echo "screens: $shot"
