#!/usr/bin/env bash
# Builds the Debian package with cpack and checks it with dpkg-deb: its name, its fields,
# its Depends computed from the binary, and its files; then with lintian, which must
# report no error, no warning and no missing hardening. As root it is also installed into
# a scratch root and removed (which keeps only the autostart entry, a conffile) and purged
# (which leaves no file of it).
# Usage: check_deb.sh BUILD_DIR SOURCE_DIR APP_ID VERSION
set -uo pipefail
build=$1 src=$2 app=$3 version=$4
. "$src/tests/install/lib.sh"

arch=$(dpkg --print-architecture)
if ! (cd "$build" && cpack -G DEB -B "$tmp/pkg") >"$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log"; echo "FAIL: cpack -G DEB" >&2; exit 1
fi
deb="$tmp/pkg/ocuvell_${version}_${arch}.deb"
[ -f "$deb" ] && ok "built $(basename "$deb")" || { ls "$tmp/pkg" >&2; fail "no $deb"; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = ocuvell ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
[ "$(field Section)" = utils ] || fail "Section: $(field Section)"
grep -q '^.\+ <.\+@.\+>$' <<<"$(field Maintainer)" || fail "Maintainer: $(field Maintainer)"
description=$(field Description)
[ -n "$(head -n 1 <<<"$description")" ] && [ "$(wc -l <<<"$description")" -ge 3 ] \
  && ok "short and long description" || fail "Description: $description"
depends=$(field Depends)
for lib in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6 libx11-6 libxrandr2; do
  grep -q "\(^\|, \)$lib\( \|,\|$\)" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
grep -q 'libqt6widgets6 (>= ' <<<"$depends" && ok "Depends from the binary: $depends" \
  || fail "Depends carries no versions, so it was not computed from the binary: $depends"

files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | LC_ALL=C sort)
expected="./etc/xdg/autostart/$app.desktop
./usr/bin/ocuvell
./usr/libexec/ocuvell/ocuvell
./usr/share/applications/$app.desktop
./usr/share/doc/ocuvell/changelog.gz
./usr/share/dbus-1/interfaces/$app.xml
./usr/share/doc/ocuvell/copyright
./usr/share/icons/hicolor/16x16/apps/$app.png
./usr/share/icons/hicolor/256x256/apps/$app.png
./usr/share/icons/hicolor/32x32/apps/$app.png
./usr/share/icons/hicolor/48x48/apps/$app.png
./usr/share/man/man1/ocuvell.1.gz
./usr/share/metainfo/$app.metainfo.xml
./usr/share/ocuvell/monitor.txt"
expected=$(LC_ALL=C sort <<<"$expected")
if [ "$files" = "$expected" ]; then ok "package file list"; else
  fail "package files differ:"; diff <(echo "$expected") <(echo "$files") >&2
fi
for exe in ./usr/bin/ocuvell ./usr/libexec/ocuvell/ocuvell; do
  dpkg-deb -c "$deb" | awk -v f="$exe" '$6 == f {print $1, $2}' | grep -q '^-rwxr-xr-x root/root' \
    || fail "${exe#./} is not root-owned 0755 in the package"
done

# The autostart entry is the one conffile; there are no scripts that make files.
dpkg-deb -e "$deb" "$tmp/control"
extra=$(cd "$tmp/control" && ls | grep -vx -e control -e md5sums -e conffiles)
[ -z "$extra" ] && ok "no maintainer scripts" || fail "control files: $extra"
[ "$(cat "$tmp/control/conffiles" 2>/dev/null)" = "/etc/xdg/autostart/$app.desktop" ] \
  && ok "the autostart entry is a conffile" || fail "conffiles: $(cat "$tmp/control/conffiles" 2>&1)"

# Debian's own checks: errors and warnings fail, and so does a missing hardening flag
# (reported as information only).
if command -v lintian >/dev/null; then
  lintian --fail-on error,warning --display-info --tag-display-limit 0 "$deb" >"$tmp/lintian.log" 2>&1
  lintian_status=$?
  if [ $lintian_status -eq 0 ] && ! grep -q 'hardening-no-' "$tmp/lintian.log"; then
    ok "lintian: clean"
  else
    fail "lintian (status $lintian_status):"; cat "$tmp/lintian.log" >&2
  fi
else
  fail "lintian is not installed"
fi

if [ "$(id -u)" -eq 0 ]; then
  sysroot="$tmp/sysroot"
  mkdir -p "$sysroot/var/lib/dpkg/info" "$sysroot/var/lib/dpkg/updates"
  touch "$sysroot/var/lib/dpkg/status" "$sysroot/var/lib/dpkg/available"
  dpkgr=(dpkg --root="$sysroot" --log="$tmp/dpkg.log" --force-depends --force-script-chrootless)
  if "${dpkgr[@]}" -i "$deb" >"$tmp/dpkg-i.log" 2>&1; then
    [ -x "$sysroot/usr/bin/ocuvell" ] && [ -f "$sysroot/etc/xdg/autostart/$app.desktop" ] \
      && ok "installs into a scratch root" || fail "dpkg -i left the files out"
    "${dpkgr[@]}" -r ocuvell >"$tmp/dpkg-r.log" 2>&1 || { cat "$tmp/dpkg-r.log"; fail "dpkg -r"; }
    left=$(cd "$sysroot" && find . -path ./var/lib/dpkg -prune -o ! -type d -print)
    [ "$left" = "./etc/xdg/autostart/$app.desktop" ] \
      && ok "removal leaves only the autostart entry, which starts nothing without the program" \
      || fail "left after removal: $left"
    grep -qx 'TryExec=ocuvell' "$sysroot/etc/xdg/autostart/$app.desktop" \
      || fail "the autostart entry left after removal has no TryExec=ocuvell"
    "${dpkgr[@]}" --purge ocuvell >"$tmp/dpkg-p.log" 2>&1 || { cat "$tmp/dpkg-p.log"; fail "dpkg --purge"; }
    left=$(cd "$sysroot" && find . -path ./var/lib/dpkg -prune -o ! -type d -print)
    [ -z "$left" ] && ok "purging leaves no file behind" || fail "left after purging: $left"
  else
    cat "$tmp/dpkg-i.log" >&2; fail "dpkg -i into a scratch root"
  fi
fi

[ $failures -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
