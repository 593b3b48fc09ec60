#!/usr/bin/env bash
# The real ocuvell.exe under Wine, used as a Windows user would, on a private Xorg with the
# dummy driver and a fresh Wine prefix inside OUT_DIR. Few Wine starts, each checking what
# it can:
#   portable copy (from the zip), first start: the main window with its Chinese captions
#     (its picture stays in OUT_DIR/check), a second copy ends at once,
#     the X server's ramp is the model's for the stored eye-protection levels, a slider
#     step moves it, a brightness Wine refuses puts its slider back with a notice and is
#     not stored, the red cross writes all nine keys beside the program;
#   commands through the pipe: status 3 with no running copy; on the second start status
#     (and --json), a brightness step, and a shortcut's WM_HOTKEY posted to the program;
#   second start: the levels read back and the ramp kept (no drift), put back after the
#     server's ramp is reset and a new mode is set through Windows, the icon in the
#     notification area (docked in trayer), the minus hides the window and a click on the
#     icon brings it back, the tip popup translucent in the work area's bottom-right
#     corner, the rest screen over the whole screen counting down;
#   installer: refused on Windows 7; its pages (and the uninstaller's) in Chinese under a
#     Chinese locale and in English otherwise, its licence page the program's own licence;
#     a silent install into the prefix with the stronger colour changes allowed; the
#     installed copy, under an English locale with an %APPDATA% named in Chinese with an
#     emoji, reads and writes its
#     settings in %APPDATA%\Ocuvell and nothing beside itself; while it runs the installer
#     and the uninstaller refuse to touch its files; the silent uninstaller removes every
#     file it installed and leaves the settings.
#   signatures: with the certificate the packages were signed with, every program and
#     library in the zip, the installer, and what it installed (the uninstaller too) verify.
# Usage: check_program.sh OUT_DIR SOURCE_DIR MINGW_BUILD_DIR X_GAMMA_CHECK [SIGNING_CERT]
#   OUT_DIR holds what scripts/windows.sh made; MINGW_BUILD_DIR holds model_ramp.exe and
#   change_mode.exe.
set -uo pipefail
abs() { (cd "$(dirname "$1")" && echo "$(pwd)/$(basename "$1")"); }
out=$(abs "$1") src=$(abs "$2") mingw=$(abs "$3") checker=$(abs "$4") signing_cert=${5:-}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/build/CMakeCache.txt")
zipfile="$out/ocuvell-$version-win64.zip"
setup="$out/ocuvell-$version-win64-setup.exe"
model_ramp="$mingw/tests/windows/model_ramp.exe"
change_mode="$mingw/tests/windows/change_mode.exe"
post_hotkey="$mingw/tests/windows/post_hotkey.exe"
work="$out/check"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }
for f in "$zipfile" "$setup" "$model_ramp" "$change_mode" "$checker"; do
  [ -f "$f" ] || { echo "FAIL: missing $f" >&2; exit 1; }
done

wine=$(command -v wine || command -v wine64 || ls /usr/lib/wine/wine64 2>/dev/null)
wineserver=$(command -v wineserver || ls /usr/lib/wine/wineserver64 2>/dev/null)
rm -rf "$work" && mkdir -p "$work"
export WINEPREFIX="$out/wineprefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
# Wine takes its file names' encoding and its language from the host's locale: an English
# one (code page 1252, no Chinese) and a Chinese one for the installer's pages, compiled
# here once.
for l in en_US zh_CN; do
  [ -f "$out/locale/$l.UTF-8/LC_CTYPE" ] || { mkdir -p "$out/locale" && localedef -i "$l" -f UTF-8 "$out/locale/$l.UTF-8" >/dev/null 2>&1; } ||
    { echo "FAIL: localedef cannot make the $l.UTF-8 locale (Debian package locales)" >&2; exit 1; }
done
unset LC_ALL LC_CTYPE LC_MESSAGES
export LOCPATH="$out/locale" LANG=en_US.UTF-8

# --- The X server, a tray panel and a compositor, all private ---------------------------
xdir="$work/xdummy"
helpers=()
cleanup() {
  "$wineserver" -k 2>/dev/null
  local pid
  for pid in "${helpers[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${helpers[@]}"; do wait "$pid" 2>/dev/null; done
  bash "$src/scripts/xdummy.sh" stop "$xdir" >/dev/null 2>&1
}
trap cleanup EXIT
DISPLAY=$(bash "$src/scripts/xdummy.sh" start "$xdir") || { echo "FAIL: no Xorg with the dummy driver" >&2; exit 1; }
export DISPLAY
read -r screen_w screen_h < <(xdpyinfo 2>/dev/null | sed -n 's/ *dimensions: *\([0-9]*\)x\([0-9]*\).*/\1 \2/p')
# Translucent windows are drawn translucent only with a compositing manager.
xcompmgr >/dev/null 2>&1 &
helpers+=($!)

wait_for() { # SECONDS COMMAND...: every 0.2 s until it succeeds
  local tries=$(($1 * 5))
  shift
  while [ "$tries" -gt 0 ]; do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.2
    tries=$((tries - 1))
  done
  return 1
}
# The program's windows are all titled Ocuvell; their sizes tell them apart.
geometry() { xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'; }
windows_sized() { # WIDTH-PREDICATE: ids of the mapped Ocuvell windows whose width matches
  local id g
  for id in $(xdotool search --onlyvisible --name '^Ocuvell$' 2>/dev/null); do
    g=$(geometry "$id")
    set -- $g
    if awk -v w="$3" -v h="$4" "BEGIN{exit !($PRED)}"; then echo "$id"; fi
  done
}
main_window() { PRED='w == 641' windows_sized | head -n 1; }
# The tip's width follows the font's metrics (329 on Linux, a few pixels more under Wine).
tip_window() { PRED='w >= 320 && w <= 340 && h <= 120' windows_sized | head -n 1; }
rest_window() { PRED="w == $screen_w && h == $screen_h" windows_sized | head -n 1; }
has() { [ -n "$("$1")" ]; }
warning_box() { xdotool search --onlyvisible --name '^tips$' 2>/dev/null | head -n 1; }
# Clicks at a point of a window, in its own pixels (twips / 15).
click_at() { xdotool mousemove --window "$1" "$2" "$3" sleep 0.2 click 1; }

# --- Wine ------------------------------------------------------------------------------
echo "-- a fresh Wine prefix in $WINEPREFIX"
started=$(date +%s)
# On the X server: a desktop process started without a display would stay on Wine's null
# driver for every later program of this wine server (no windows, no gamma ramp).
if ! timeout 300 "$wine" wineboot -i >"$work/wineboot.log" 2>&1; then
  echo "FAIL: wineboot, see $work/wineboot.log" >&2
  exit 1
fi
"$wineserver" -p
echo "-- prefix ready in $(($(date +%s) - started)) s"
drive_c="$WINEPREFIX/drive_c"
user_dir=
for d in "$drive_c/users/"*; do [ "${d##*/}" = Public ] || user_dir=$d; done
appdata="$user_dir/AppData/Roaming"

# Every file's Authenticode signature, checked against the certificate it was signed with.
signatures_verify() { # WHAT FILE...
  local what=$1 f bad=()
  shift
  if [ -z "$signing_cert" ]; then
    echo "-- $what: signatures not checked (no certificate given)"
    return
  fi
  for f in "$@"; do
    osslsigncode verify -CAfile "$signing_cert" -in "$f" >"$work/verify.log" 2>&1 || bad+=("${f##*/}")
  done
  if [ ${#bad[@]} -eq 0 ] && [ $# -gt 0 ]; then ok "$what: all $# signatures verify"; else
    fail "$what: unsigned or not verifying: ${bad[*]:-no files}"
  fi
}
binaries_in() { find "$1" -type f \( -iname '*.exe' -o -iname '*.dll' \) | sort; }

# config.ini as the program writes it: CRLF lines, sections in the order it writes them.
write_config() { # FILE LIANGDU
  printf '[dsxx]\r\nmei=1\r\nxiuxi=1\r\npdrun=1\r\n[eye]\r\nliangdu=%s\r\nduibidu=90\r\nrgbr=0\r\nrgbg=-10\r\nrgbb=-30\r\npdrun=1\r\n' \
    "$2" >"$1"
}
key() { sed -n "/^\[$2\]/,/^\[/s/^$3=\([^\r]*\)\r\?$/\1/p" "$1" | head -n 1; }
# The model's ramp for a folder's settings, computed by the same core under Wine.
model_ramp_of() { # CONFIG OUT
  local dir="$drive_c/model"
  rm -rf "$dir" && mkdir -p "$dir"
  cp "$1" "$dir/config.ini"
  cp "$portable/monitor.txt" "$dir/"
  timeout 120 "$wine" "$model_ramp" 'C:\model' "Z:$2" >>"$work/model_ramp.log" 2>&1 && [ -s "$2" ]
}
server_ramp_is() { # EXPECTED WHAT
  local line
  line=$("$checker" --keep "$1" 2>&1 | tail -n 1)
  if [[ $line == "x_gamma_check: ok"* ]]; then ok "$2 (${line#*: ok: })"; else fail "$2: $line"; fi
}
start_program() { # WINDOWS-PATH LOG
  "$wine" "$1" >"$2" 2>&1 &
  program=$!
}
running() { kill -0 "$1" 2>/dev/null; }
end_by_red_cross() { # WINDOW WHAT
  click_at "$1" 610 9
  if wait_for 20 eval '! running $program'; then
    ok "$2: the red cross ended the program"
  else
    fail "$2: the red cross did not end the program"
    kill "$program" 2>/dev/null
  fi
  wait "$program" 2>/dev/null
}

# --- The portable copy, first start ------------------------------------------------------
portable="$drive_c/Ocuvell"
mkdir -p "$portable" && (cd "$portable" && unzip -q "$zipfile") || fail "the zip does not unpack"
[ -f "$portable/ocuvell.exe" ] && [ -f "$portable/platforms/qwindows.dll" ] &&
  [ -f "$portable/monitor.txt" ] && ok "the zip holds ocuvell.exe at its top, the platform plugin and monitor.txt" ||
  fail "the zip's layout: $(cd "$portable" && find . -type f | sort | tr '\n' ' ')"
mapfile -t signed < <(binaries_in "$portable")
signatures_verify "the zip's programs and libraries" "${signed[@]}" "$setup"
write_config "$portable/config.ini" -10
# The command line to the running copy, through its pipe (its output as Wine passes it on).
remote() { timeout 30 "$wine" 'C:\Ocuvell\ocuvell.exe' "$@" 2>&1 | tr -d '\r'; return "${PIPESTATUS[0]}"; }
brightness_now() { remote status | sed -n 's/^brightness: //p'; }
said=$(remote status); rc=$?
[ $rc -eq 3 ] && grep -q 'not running' <<<"$said" && ok "ocuvell.exe status with no running copy: status 3" \
  || fail "ocuvell.exe status with no running copy: '$said', status $rc"
start_program 'C:\Ocuvell\ocuvell.exe' "$work/run1.log"
t0=$(date +%s)
if ! wait_for 180 has main_window; then
  fail "no main window within 180 s (log: $work/run1.log)"
  exit 1
fi
win=$(main_window); echo "-- main window after $(($(date +%s) - t0)) s"
sleep 2 # the load step's overlay and a warning would come up now
[ -z "$(warning_box)" ] && ok "started with eye protection stored on, no warning" || fail "a warning box came up"
im_convert=/usr/bin/convert # ImageMagick's own, whatever else PATH holds
[ -x "$im_convert" ] || im_convert=convert
import -window "$win" "$work/form1.png" 2>/dev/null
# The captions drawn as glyphs, not as empty boxes: the heading's row holds dark ink
# over more columns than a row of tofu squares would.
if ink=$("$im_convert" "$work/form1.png" -crop 130x25+125+54 -threshold 50% -negate -format '%[fx:mean]' info: 2>/dev/null) &&
  awk -v m="$ink" 'BEGIN{exit !(m > 0.08 && m < 0.6)}'; then
  ok "the main window's Chinese heading is drawn (ink $ink)"
else
  fail "the heading looks empty or blotted (ink ${ink:-none}); see $work/form1.png"
fi

started=$(date +%s)
if timeout 60 "$wine" 'C:\Ocuvell\ocuvell.exe' >"$work/second.log" 2>&1; then
  ok "a second start ended at once ($(($(date +%s) - started)) s, status 0)"
else
  fail "a second start did not end quietly (status $?)"
fi
[ "$(xdotool search --onlyvisible --name '^Ocuvell$' 2>/dev/null | wc -l)" -eq 1 ] ||
  fail "a second main window came up"

model_ramp_of "$portable/config.ini" "$work/ramp1.txt" || fail "model_ramp.exe (log: $work/model_ramp.log)"
server_ramp_is "$work/ramp1.txt" "the X server's ramp is the model's for the stored levels"

# A slider step: the colour page through the pen beside the heading, then a click on the
# blue slider's groove right of its handle (one page step). A colour step, since the last
# adjustment is what the display shows and a restart shows the stored colours.
click_at "$win" 266 74
sleep 1

# A brightness Wine refuses (any above 0): two page steps on the brightness slider take it
# from -10 to 0, a third would make it 5. The slider and its value stay as they were, and
# the notice under the contrast slider says why.
for i in 1 2; do click_at "$win" 270 105; sleep 0.5; done
import -window "$win" "$work/before-refused.png" 2>/dev/null
click_at "$win" 270 105
sleep 1
import -window "$win" "$work/refused.png" 2>/dev/null
# The brightness value and its slider, before and after.
moved=$(compare -metric AE -extract 250x28+50+92 "$work/before-refused.png" "$work/refused.png" null: 2>&1)
[ "$moved" = 0 ] && ok "a refused brightness sends the slider back" ||
  fail "the brightness slider moved on a refused ramp ($moved pixels; see $work/refused.png)"
# The notice's dark red ink where it stands, under the contrast slider.
notice=$("$im_convert" "$work/refused.png" -crop 176x36+46+173 +repage \
  -fx '(r > 0.47 && b < 0.4 && g < 0.4) ? 1 : 0' -format '%[fx:mean*w*h]' info: 2>/dev/null)
awk -v n="${notice:-0}" 'BEGIN{exit !(n > 20)}' && ok "the notice says the ramp was not taken ($notice inked pixels)" ||
  fail "no notice after a refused ramp (${notice:-none} inked pixels; see $work/refused.png)"

click_at "$win" 520 146
sleep 1
end_by_red_cross "$win" "first start"
saved="$portable/config.ini"
n=$(grep -c '=' "$saved")
[ "$n" -eq 9 ] && ok "config.ini holds all nine keys after the red cross" || fail "config.ini holds $n keys: $(cat "$saved")"
[ "$(grep -c $'\r$' "$saved")" -eq "$(wc -l <"$saved")" ] || fail "config.ini is not in CRLF lines"
rgbb=$(key "$saved" eye rgbb)
[ -n "$rgbb" ] && [ "$rgbb" != -30 ] && ok "the slider step moved the blue level to $rgbb" ||
  fail "the blue level did not move (rgbb=$rgbb)"
[ "$(key "$saved" eye liangdu)" = 0 ] && ok "the refused brightness was not stored" ||
  fail "liangdu=$(key "$saved" eye liangdu) stored, not the applied 0"
model_ramp_of "$saved" "$work/ramp2.txt" || fail "model_ramp.exe (log: $work/model_ramp.log)"
cmp -s "$work/ramp1.txt" "$work/ramp2.txt" && fail "the step left the model's ramp as it was"
server_ramp_is "$work/ramp2.txt" "after the step the X server's ramp is the model's"

# --- Second start: read back, kept ramp, tray, tip, rest screen ---------------------------
# A tray panel before the program: the icon docks into it.
trayer --edge bottom --align right --widthtype pixel --width 120 --height 24 --transparent false \
  >/dev/null 2>&1 &
helpers+=($!)
sleep 1
# A shortcut for darker, driven below by a posted WM_HOTKEY.
config="$portable/config.ini"
if grep -q '^\[more\]' "$config"; then sed -i 's/^\[more\]\r\?$/&\nkey_darker=Ctrl+Alt+F9\r/' "$config"
else printf '[more]\r\nkey_darker=Ctrl+Alt+F9\r\n' >>"$config"; fi
start_program 'C:\Ocuvell\ocuvell.exe' "$work/run2.log"
if wait_for 60 has main_window; then
  win=$(main_window)
  sleep 2
  server_ramp_is "$work/ramp2.txt" "a restart keeps the ramp (the levels read back, no drift)"
  # A display that resets: the X server's ramp put back to the identity behind the program's
  # back stays so, until a new mode set through Windows (which sends its windows
  # WM_DISPLAYCHANGE) has the program put its ramp back, within 2 seconds.
  "$checker" "$work/ramp2.txt" >/dev/null 2>&1
  sleep 1.5
  if "$checker" --keep "$work/ramp2.txt" >/dev/null 2>&1; then
    fail "the X server's ramp did not reset (or something put it back without a display event)"
  elif ! timeout 60 "$wine" "$change_mode" 1680 1050 >"$work/change-mode.log" 2>&1; then
    fail "no new mode through Windows: $(cat "$work/change-mode.log")"
  else
    event=$(date +%s%N)
    if wait_for 2 "$checker" --keep "$work/ramp2.txt"; then
      ok "after a reset and a display event (a new mode) the ramp is back within $((($(date +%s%N) - event) / 1000000)) ms of the change"
    else
      fail "the ramp was not back within 2 s of a display event: $("$checker" --keep "$work/ramp2.txt" 2>&1 | tail -n 1)"
    fi
  fi
  timeout 60 "$wine" "$change_mode" "$screen_w" "$screen_h" >>"$work/change-mode.log" 2>&1 ||
    fail "the screen's own mode did not come back: $(xrandr 2>/dev/null | head -n 1)"
  # Commands through the pipe, then the shortcut's WM_HOTKEY: each step taken once, and
  # the brightness put back as it was.
  b0=$(brightness_now)
  [ -n "$b0" ] && ok "ocuvell.exe status answers through the pipe (brightness $b0)" \
    || fail "ocuvell.exe status gave no brightness: '$(remote status)'"
  said=$(remote brightness -5); rc=$?
  b1=$(brightness_now)
  [ $rc -eq 0 ] && [ "$b1" = "$((b0 - 5))" ] && ok "ocuvell.exe brightness -5: $b0 to $b1" \
    || fail "ocuvell.exe brightness -5: '$said', status $rc, brightness $b0 to $b1"
  timeout 30 "$wine" "$post_hotkey" 1 >"$work/hotkey.log" 2>&1 || fail "post_hotkey: $(cat "$work/hotkey.log")"
  sleep 1
  b2=$(brightness_now)
  [ "$b2" = "$((b1 - 5))" ] && ok "a posted WM_HOTKEY for the darker shortcut ran once ($b1 to $b2)" \
    || fail "after a posted WM_HOTKEY for the darker shortcut the brightness is $b2, not $((b1 - 5))"
  said=$(remote brightness "$b0"); rc=$?
  [ $rc -eq 0 ] && [ "$(brightness_now)" = "$b0" ] || fail "ocuvell.exe brightness $b0: '$said', status $rc"
  if remote status --json | python3 -c 'import json, sys; json.load(sys.stdin)' 2>/dev/null; then
    ok "ocuvell.exe status --json parses"
  else
    fail "ocuvell.exe status --json: '$(remote status --json)'"
  fi
else
  fail "no main window on the second start"
fi
# The icon: Wine's window for it, docked into the panel (the panel's own window is named
# "panel"; the icon is the explorer.exe window inside it).
tray_icon() {
  local panel
  panel=$(xdotool search --name '^panel$' 2>/dev/null | head -n 1)
  [ -n "$panel" ] || return 1
  xwininfo -tree -id "$panel" 2>/dev/null | awk '/"explorer.exe"/ && !/ 1x1\+/ {print $1; exit}'
}
if wait_for 20 has tray_icon; then
  icon=$(tray_icon)
  ok "the icon is in the notification area (docked in trayer)"
  click_at "$win" 563 8
  if wait_for 10 eval '! has main_window'; then ok "the minus hides the main window"; else fail "the minus left the window up"; fi
  xdotool mousemove --window "$icon" 8 8 sleep 0.5 click 1
  if wait_for 10 has main_window; then ok "a click on the icon brings it back"; else fail "a click on the icon did not bring the window back"; fi
else
  fail "no icon in the notification area"
fi
# The tip comes at the next rest time: within three minutes of the start at the latest.
if wait_for 190 has tip_window; then
  tip=$(tip_window)
  read -r tx ty tw th < <(geometry "$tip")
  # The work area: the screen less the tray panel's strut, if Wine took it in.
  if [ $((tx + tw)) -eq "$screen_w" ] && [ $((ty + th)) -le "$screen_h" ] && [ $((ty + th)) -ge $((screen_h - 40)) ]; then
    ok "the tip popup sits in the bottom-right corner (${tw}x$th at $tx,$ty on ${screen_w}x$screen_h)"
  else
    fail "the tip popup is at $tx,$ty ${tw}x$th on ${screen_w}x$screen_h"
  fi
  opacity=$(xprop -id "$tip" _NET_WM_WINDOW_OPACITY 2>/dev/null | sed -n 's/.* = //p')
  if [ -n "$opacity" ] && [ "$opacity" -lt 4294967295 ]; then
    ok "the tip popup is translucent (opacity $((opacity * 100 / 4294967295)) %)"
  else
    fail "the tip popup is opaque (_NET_WM_WINDOW_OPACITY: ${opacity:-unset})"
  fi
  import -window "$tip" "$work/form2.png" 2>/dev/null
  # The rest-now line.
  click_at "$tip" 168 36
  if wait_for 15 has rest_window; then
    rest=$(rest_window)
    ok "the rest screen covers the whole screen (${screen_w}x$screen_h)"
    import -window root "$work/form3-a.png" 2>/dev/null
    sleep 2.2
    import -window root "$work/form3-b.png" 2>/dev/null
    diff=$(compare -metric AE "$work/form3-a.png" "$work/form3-b.png" null: 2>&1)
    [ "${diff%% *}" -gt 0 ] 2>/dev/null && ok "the rest screen counts down ($diff pixels changed in 2 s)" ||
      fail "the rest screen stood still"
    # Its close image, centred under the caption.
    click_at "$rest" $((screen_w / 2)) 382
    wait_for 10 eval '! has rest_window' || fail "the rest screen's close did not close it"
  else
    fail "no rest screen after the tip's rest-now line"
  fi
else
  fail "no tip popup within three minutes of the start"
fi
win=$(main_window)
if [ -n "$win" ]; then end_by_red_cross "$win" "second start"; else
  kill "$program" 2>/dev/null
  wait "$program" 2>/dev/null
fi

# --- The installer ------------------------------------------------------------------------
program_files="$drive_c/Program Files/Ocuvell"
# The user's Startup folder (Wine spells it StartUp).
startup_link() { find "$appdata/Microsoft/Windows/Start Menu/Programs" -ipath '*/startup/Ocuvell.lnk' 2>/dev/null | head -n 1; }
rm -rf "$appdata/Ocuvell"
# Qt 6 does not start before Windows 10 1809.
timeout 60 "$wine" winecfg -v win7 >/dev/null 2>&1
timeout 180 "$wine" "$setup" /S >"$work/setup-win7.log" 2>&1
code=$?
[ "$code" -eq 3 ] && [ ! -e "$program_files" ] && ok "the installer refuses Windows 7 (exit code 3)" ||
  fail "the installer on Windows 7: exit code $code, $(ls "$program_files" 2>&1 | head -n 1)"
timeout 60 "$wine" winecfg -v win10 >/dev/null 2>&1

# The generated script: two languages and the program's own licence, not CPack's.
nsi=$(find "$out/cpack" -name project.nsi | head -n 1)
nsh=$(sed -n 's/^ *!include "\(.*installer\.nsh\)"/\1/p' "$nsi" 2>/dev/null)
languages=$(grep -o 'MUI_LANGUAGE "[A-Za-z]*"' "$nsi" 2>/dev/null | tr '\n' ' ')
licences=$(sed -n 's/^LicenseLangString OcuvellLicence .* "\(.*\)"/\1/p' "$nsh" 2>/dev/null)
if [ "$languages" = 'MUI_LANGUAGE "English" MUI_LANGUAGE "SimpChinese" ' ] &&
  grep -q 'MUI_PAGE_LICENSE "$(OcuvellLicence)"' "$nsi" && [ "$(echo "$licences" | wc -l)" -eq 2 ] &&
  ! grep -qi 'No license provided' "$nsi" &&
  [ -z "$(while read -r f; do grep -q Tevaro "$f" || echo "$f"; done <<<"$licences")" ]; then
  ok "the installer's script: English and Simplified Chinese, the program's own licence"
else
  fail "the installer's script: languages '$languages', licences '$licences'"
fi
# The pages themselves: the welcome page's title, then one Enter to the licence page.
installer_title() { # LANG
  local id title=
  LANG=$1 "$wine" "$setup" >/dev/null 2>&1 &
  local pid=$!
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name '^Ocuvell (Setup|安装)$' 2>/dev/null | head -n 1) && [ -n "$id" ] && break
    sleep 0.3
  done
  if [ -n "$id" ]; then
    title=$(xdotool getwindowname "$id")
    sleep 1
    xdotool key --window "$id" Return 2>/dev/null
    sleep 2
    import -window "$id" "$work/installer-licence-${1%%.*}.png" 2>/dev/null
  fi
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  sleep 1
  echo "$title"
}
t=$(installer_title zh_CN.UTF-8)
[ "$t" = "Ocuvell 安装" ] && ok "the installer speaks Chinese on a Chinese system ($t)" || fail "the installer under zh_CN: '$t'"
t=$(installer_title en_US.UTF-8)
[ "$t" = "Ocuvell Setup" ] && ok "the installer speaks English elsewhere ($t)" || fail "the installer under en_US: '$t'"

if timeout 180 "$wine" "$setup" /S /AUTOSTART /STRONGERCOLOURS >"$work/setup.log" 2>&1 && [ -f "$program_files/bin/ocuvell.exe" ]; then
  ok "the installer installed silently into C:\\Program Files\\Ocuvell"
else
  fail "the silent install (log: $work/setup.log)"
fi
range=$(timeout 60 "$wine" reg query 'HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\ICM' /v GdiIcmGammaRange 2>/dev/null | tr -d '\r' | awk '/GdiIcmGammaRange/{print $NF}')
[ "$range" = 0x100 ] && ok "/STRONGERCOLOURS set GdiIcmGammaRange to 256" || fail "GdiIcmGammaRange is '${range:-unset}'"
installed=$(cd "$program_files" 2>/dev/null && find . -type f | sort)
[ -f "$program_files/share/ocuvell/monitor.txt" ] && [ -f "$program_files/bin/platforms/qwindows.dll" ] &&
  [ -f "$program_files/Uninstall.exe" ] || fail "installed files: $installed"
mapfile -t signed < <(binaries_in "$program_files")
signatures_verify "the installed programs and libraries, the uninstaller among them" "${signed[@]}"
# The uninstaller's pages speak the system's language too (closed at its first page; it
# runs from a copy of itself, so the window is closed, not the process).
uninstaller_title() { # LANG
  local id title= names='^Ocuvell (Uninstall|卸载)'
  LANG=$1 "$wine" 'C:\Program Files\Ocuvell\Uninstall.exe' >/dev/null 2>&1 &
  local pid=$!
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$names" 2>/dev/null | head -n 1) && [ -n "$id" ] && break
    sleep 0.3
  done
  if [ -n "$id" ]; then
    title=$(xdotool getwindowname "$id")
    xdotool windowclose "$id" 2>/dev/null
    wait_for 10 eval '! xdotool search --onlyvisible --name "$names" | grep -q .'
  fi
  wait "$pid" 2>/dev/null
  echo "${title% }"
}
t=$(uninstaller_title zh_CN.UTF-8)
[ "$t" = "Ocuvell 卸载" ] && ok "the uninstaller speaks Chinese on a Chinese system ($t)" || fail "the uninstaller under zh_CN: '$t'"
t=$(uninstaller_title en_US.UTF-8)
[ "$t" = "Ocuvell Uninstall" ] && ok "the uninstaller speaks English elsewhere ($t)" || fail "the uninstaller under en_US: '$t'"
menu=$(find "$drive_c" -path '*Start Menu/Programs/Ocuvell/Ocuvell.lnk' 2>/dev/null | head -n 1)
[ -n "$menu" ] && ok "Start menu shortcut ${menu#"$drive_c"/}" || fail "no Start menu shortcut"
[ -n "$(startup_link)" ] && ok "/AUTOSTART made the shortcut in the user's Startup folder" ||
  fail "no Startup shortcut after /AUTOSTART"

before=$(cd "$program_files" && find . -printf '%p %s %T@\n' | sort)
# A user name the English code page cannot spell: its settings are read from and written
# to %APPDATA%\Ocuvell all the same (a stored interval of 7 minutes comes back).
user_appdata="$user_dir/张伟 🌿/AppData/Roaming"
mkdir -p "$user_appdata/Ocuvell"
printf '[dsxx]\r\nmei=7\r\n' >"$user_appdata/Ocuvell/config.ini"
# (Wine sets APPDATA itself at a program's start, so cmd sets it; Wine would pass quotes to
# cmd escaped, hence the cd.)
"$wine" cmd /c "set APPDATA=C:\\users\\${user_dir##*/}\\张伟 🌿\\AppData\\Roaming&& cd /d C:\\Program Files\\Ocuvell\\bin&& ocuvell.exe" >"$work/run3.log" 2>&1 &
program=$!
if wait_for 60 has main_window; then
  win=$(main_window)
  sleep 2
  [ -z "$(warning_box)" ] && ok "the installed copy started without a warning (monitor.txt found in share\\ocuvell)" ||
    fail "the installed copy showed a warning box"
  # Its files are in use: the installer and the uninstaller ask for it to be ended, and a
  # silent run gives up without touching them.
  timeout 120 "$wine" "$setup" /S >"$work/setup-running.log" 2>&1
  code=$?
  [ "$code" -eq 2 ] && ok "the installer refuses to overwrite the running copy (exit code 2)" ||
    fail "the installer over the running copy: exit code $code"
  timeout 120 "$wine" 'C:\Program Files\Ocuvell\Uninstall.exe' /S >"$work/uninstall-running.log" 2>&1
  sleep 5
  [ "$before" = "$(cd "$program_files" && find . -printf '%p %s %T@\n' | sort)" ] &&
    ok "the uninstaller leaves the running copy's files alone" ||
    fail "installing or uninstalling over the running copy changed its files"
  end_by_red_cross "$win" "installed copy"
else
  fail "the installed copy showed no main window (log: $work/run3.log)"
  kill "$program" 2>/dev/null
fi
# Eight keys: the eye-protection flag is written only once its switch has been used.
saved="$user_appdata/Ocuvell/config.ini"
n=$(grep -c '=' "$saved" 2>/dev/null)
[ "${n:-0}" -eq 8 ] && [ "$(key "$saved" dsxx mei)" = 7 ] &&
  ok "the installed copy read and wrote its settings in an %APPDATA% named in Chinese (English locale)" ||
  fail "the settings in the Chinese %APPDATA%: $(cat "$saved" 2>/dev/null | tr '\r\n' '  ')"
[ ! -e "$appdata/Ocuvell/config.ini" ] || fail "the installed copy wrote into the profile's own %APPDATA%"
after=$(cd "$program_files" && find . -printf '%p %s %T@\n' | sort)
[ "$before" = "$after" ] && ok "nothing written beside the installed program" ||
  fail "the installed copy changed its folder: $(diff <(echo "$before") <(echo "$after") | tr '\n' ' ')"

# The uninstaller copies itself away and runs from there: wait for the folder to go.
timeout 120 "$wine" 'C:\Program Files\Ocuvell\Uninstall.exe' /S >"$work/uninstall.log" 2>&1
wait_for 60 eval '[ ! -e "$program_files" ]'
if [ ! -e "$program_files" ]; then
  ok "the uninstaller removed every installed file ($(echo "$installed" | wc -l) files) and the folder"
else
  fail "left after uninstalling: $(cd "$program_files" && find . | tr '\n' ' ')"
fi
[ -z "$(find "$drive_c" -path '*Start Menu/Programs/Ocuvell*' 2>/dev/null)" ] && [ -z "$(startup_link)" ] &&
  ok "the uninstaller removed the Start menu and Startup shortcuts" || fail "shortcuts left after uninstalling"
[ -f "$saved" ] && ok "the user's settings stay after uninstalling" ||
  fail "the uninstaller removed the user's settings"

[ $failures -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
