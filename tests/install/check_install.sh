#!/usr/bin/env bash
# Stages an install into a scratch root and checks it as a package would lay it out:
# every file in its place, the desktop entries and the AppStream data pass their
# validators, --version and --help answer without a display, a start without a display
# or with an unknown option ends with one line and its own status, and the staged program,
# run by a normal user on a private X server with eye protection stored on, starts
# without a warning and saves into ~/.config/Ocuvell/config.ini, never beside itself.
# Usage: check_install.sh BUILD_DIR SOURCE_DIR APP_ID VERSION
set -uo pipefail
build=$1 src=$2 app=$3 version=$4
. "$src/tests/install/lib.sh"

root="$tmp/root"
if ! DESTDIR="$root" cmake --install "$build" --prefix /usr >"$tmp/install.log" 2>&1; then
  cat "$tmp/install.log"; echo "FAIL: cmake --install" >&2; exit 1
fi

# Exactly these files, nothing else.
expected="etc/xdg/autostart/$app.desktop
usr/bin/ocuvell
usr/libexec/ocuvell/ocuvell
usr/share/applications/$app.desktop"
for size in 16 256 32 48; do
  expected+=$'\n'"usr/share/icons/hicolor/${size}x${size}/apps/$app.png"
done
expected+=$'\n'"usr/share/metainfo/$app.metainfo.xml"$'\n'"usr/share/ocuvell/monitor.txt"
expected+=$'\n'"usr/share/man/man1/ocuvell.1.gz"$'\n'"usr/share/dbus-1/interfaces/$app.xml"
expected+=$'\n'"usr/share/doc/ocuvell/copyright"$'\n'"usr/share/doc/ocuvell/changelog.gz"
actual=$(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
expected=$(LC_ALL=C sort <<<"$expected")
if [ "$actual" = "$expected" ]; then ok "installed files"; else
  fail "installed files differ:"; diff <(echo "$expected") <(echo "$actual") >&2
fi
[ -x "$root/usr/bin/ocuvell" ] || fail "usr/bin/ocuvell is not executable"
# `ocuvell` is the launcher: a command for the running copy loads no Qt library.
needed=$(readelf -d "$root/usr/bin/ocuvell" | grep NEEDED)
grep -qi 'qt\|libX11\|wayland' <<<"$needed" && fail "the launcher links the window libraries: $needed" \
  || ok "the launcher links no Qt, X11 or Wayland library"

# The manual page: formatted without a warning, and naming the options, the menu's
# entries, the [more] keys and the commands the README describes.
page="$root/usr/share/man/man1/ocuvell.1.gz"
out=$(zcat "$page" | groff -ww -man -z 2>&1; command -v man >/dev/null \
      && MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
[ -z "$out" ] && ok "the manual page formats without a warning" || fail "the manual page: $out"
text=$(zcat "$page" | LC_ALL=C.UTF-8 groff -man -rHY=0 -Tutf8 2>/dev/null | sed 's/.\x08//g')
for needle in --help --version 更多设置… 稍后休息 夜间色温：暂停一小时 夜间色温：暂停到下次变化 \
    defer_fullscreen away_counts_as_rest postpone_minutes night_colour night_kelvin night_place \
    night_from night_to key_brighter key_darker key_eye key_rest_now key_rest_later \
    status brightness eye restore reminders show quit moved-from.txt; do
  grep -qF -e "$needle" <<<"$text" || fail "the manual page does not name $needle"
done

# Icons: the leaf artwork, each at its own size.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $3*256+$4 "x" $7*256+$8}'; }
for size in 16 32 48 256; do
  icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/$app.png"
  [ "$(png_size "$icon")" = "${size}x${size}" ] || fail "icon $size is $(png_size "$icon")"
  cmp -s "$icon" "$src/src/ui/assets/leaf$size.png" || fail "icon $size is not the leaf artwork"
done
cmp -s "$root/usr/share/ocuvell/monitor.txt" "$build/monitor.txt" \
  || fail "share/ocuvell/monitor.txt is not the built default ramp"

# The menu entry and the autostart entry.
menu="$root/usr/share/applications/$app.desktop"
auto="$root/etc/xdg/autostart/$app.desktop"
for f in "$menu" "$auto"; do
  out=$(desktop-file-validate "$f" 2>&1) && [ -z "$out" ] && ok "desktop-file-validate ${f#$root/}" \
    || fail "desktop-file-validate ${f#$root/}: $out"
  for line in "Exec=ocuvell" "Icon=$app" "Terminal=false" "StartupNotify=false"; do
    grep -qx "$line" "$f" || fail "${f#$root/} lacks $line"
  done
  grep -q '^Name\[zh_CN\]=' "$f" || fail "${f#$root/} has no Chinese name"
done
grep -qx 'Categories=Utility;' "$menu" || fail "the menu entry is not under Utility"
grep -qx 'X-GNOME-Autostart-enabled=true' "$auto" || fail "the autostart entry is not enabled"
grep -q '^\(Hidden\|NoDisplay\)=' "$auto" && fail "the autostart entry hides itself"

# The AppStream data.
meta="$root/usr/share/metainfo/$app.metainfo.xml"
if out=$(appstreamcli validate --no-net "$meta" 2>&1); then ok "appstreamcli validate"; else
  fail "appstreamcli validate: $out"
fi
for needle in "<id>$app</id>" "<launchable type=\"desktop-id\">$app.desktop</launchable>" \
    "<binary>ocuvell</binary>" "<release version=\"$version\"" '<content_rating type="oars-1.1"' \
    '<name xml:lang="zh-CN">' '<summary xml:lang="zh-CN">' '<p xml:lang="zh-CN">'; do
  grep -qF "$needle" "$meta" || fail "metainfo lacks $needle"
done
for shot in form1 form1-colour form1-rest form2 form3; do
  grep -qF "<image>https://" "$meta" && grep -qF "/$shot.png</image>" "$meta" \
    || fail "metainfo has no https screenshot $shot"
  [ -f "$src/docs/screens/$shot.png" ] || fail "docs/screens/$shot.png is missing"
done

# Another prefix given when installing (not when configuring) keeps the autostart entry
# under it.
if cmake --install "$build" --prefix "$tmp/other" >"$tmp/install2.log" 2>&1 \
    && [ -f "$tmp/other/etc/xdg/autostart/$app.desktop" ] && [ -x "$tmp/other/bin/ocuvell" ]; then
  ok "install --prefix elsewhere"
else
  fail "install --prefix $tmp/other did not lay out bin/ and etc/xdg/autostart/"
fi

# The command line, with no display at all.
exe="$root/usr/bin/ocuvell"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$exe" --version 2>&1); rc=$?
[ $rc -eq 0 ] && [ "$out" = "Ocuvell $version" ] && ok "--version" \
  || fail "--version printed '$out' with status $rc"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME=/home/someone \
      XDG_CONFIG_HOME= "$exe" --help 2>&1); rc=$?
[ $rc -eq 0 ] && grep -q 'notification area' <<<"$out" \
  && grep -qF 'This copy is installed: its settings are kept in /home/someone/.config/Ocuvell/config.ini' <<<"$out" \
  && ok "--help" || fail "--help printed '$out' with status $rc"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$exe" 2>&1); rc=$?
[ $rc -eq 1 ] && [ "$(wc -l <<<"$out")" -eq 1 ] && grep -q 'no display' <<<"$out" \
  && ok "no display: one line, status 1" || fail "with no display: '$out', status $rc"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$exe" --frobnicate 2>&1 >/dev/null); rc=$?
[ $rc -eq 2 ] && grep -q '^Usage: ocuvell' <<<"$out" && ok "an unknown option: usage, status 2" \
  || fail "an unknown option: '$out', status $rc"

# Run as a normal user. As root that is nobody, with a home of its own; otherwise the
# caller, with the staged program's folder made read-only as an installed one is.
home="$tmp/home"; runtime="$tmp/runtime"
mkdir -p "$home/.config/Ocuvell" "$runtime"
chmod 700 "$home" "$runtime"
chmod -R a-w "$root/usr"
runas=()
if [ "$(id -u)" -eq 0 ]; then
  if ! getent passwd nobody >/dev/null; then echo "no user nobody: skipped the run" >&2; exit 77; fi
  group=$(id -gn nobody)
  chown -R nobody:"$group" "$home" "$runtime"
  runas=(setpriv --reuid=nobody --regid="$group" --clear-groups)
fi
printf '[dsxx]\r\nmei=45\r\nxiuxi=5\r\npdrun=1\r\n[eye]\r\nliangdu=-10\r\nduibidu=100\r\nrgbr=0\r\nrgbg=0\r\nrgbb=-20\r\npdrun=1\r\n' \
  >"$home/.config/Ocuvell/config.ini"
[ ${#runas[@]} -gt 0 ] && chown "nobody:$group" "$home/.config" "$home/.config/Ocuvell" "$home/.config/Ocuvell/config.ini"

if ! display=$(start_x); then echo "no Xorg with the dummy driver: skipped the run" >&2
  [ $failures -eq 0 ] && exit 77 || exit 1
fi
before=$(cd "$root" && find . -printf '%p %s %T@\n' | sort)
env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$runtime" DISPLAY="$display" \
    LANG=C.UTF-8 BROWSER=true \
    "${runas[@]}" "$exe" --report-shown >"$tmp/run.out" 2>"$tmp/run.err" &
pid=$!; pids+=("$pid")
export DISPLAY="$display"
wait_for 20 bash -c "xdotool search --onlyvisible --name '^(Ocuvell|tips)\$' | grep -q ." \
  || fail "no window within 20 s"
sleep 1 # a warning would come up while the main window loads
if has_warning_box; then fail "a warning box came up at start-up (is share/ocuvell/monitor.txt found?)"
else ok "started with eye protection on and no warning"; fi
# A command through the installed launcher reaches the copy it started.
out=$(env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$runtime" "${runas[@]}" "$exe" status 2>&1)
rc=$?
[ $rc -eq 0 ] && grep -q '^brightness: -10$' <<<"$out" && ok "ocuvell status through the launcher" \
  || fail "ocuvell status: '$out', status $rc"
if has_main_window && ! has_warning_box; then
  click_red_cross "$(main_window)"
  if wait_for 15 eval "! running $pid"; then
    wait "$pid"; rc=$?; pids=()
    [ $rc -eq 0 ] && ok "the red cross ended the program" || fail "the program ended with status $rc"
  else
    fail "the red cross did not end the program"
  fi
  saved=$(cat "$home/.config/Ocuvell/config.ini")
  for key in mei=45 xiuxi=5 liangdu=-10 rgbb=-20 pdrun=1; do
    grep -q "^$key"$'\r'"\?$" <<<"$saved" || fail "config.ini lacks $key after the close: $saved"
  done
  [ "$(grep -c '=' <<<"$saved")" -ge 9 ] && ok "the close saved into ~/.config/Ocuvell/config.ini" \
    || fail "the close did not write all nine settings: $saved"
fi
after=$(cd "$root" && find . -printf '%p %s %T@\n' | sort)
[ "$before" = "$after" ] && ok "nothing written beside the installed program" \
  || { fail "the run changed the installed tree:"; diff <(echo "$before") <(echo "$after") >&2; }
[ -s "$tmp/run.err" ] && { echo "program's stderr:"; cat "$tmp/run.err"; }

[ $failures -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
