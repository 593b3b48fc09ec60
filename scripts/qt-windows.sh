#!/usr/bin/env bash
# Provides Qt for Windows (x86_64, mingw-w64 with the posix thread model) for the Windows
# program: Core, Gui, Widgets and the windows platform plugin, built as DLLs from Debian's
# own qt6-base source package, the same version as the host tools in qt6-base-dev-tools.
#
# The result lives outside the checkout, in
#   ${XDG_CACHE_HOME:-~/.cache}/ocuvell/qt-<Qt version>-<key>
# where the key hashes the Qt source version, the mingw GCC package version (the runtime
# DLLs shipped beside the program must come from the compiler that built Qt), the configure
# options, the toolchain file and the patches. A stamp written last, holding those same
# inputs, marks a finished build; when it matches, the script only prints the prefix.
#
# The source comes through APT with a private configuration: the machine's own Debian
# sources turned into deb-src entries, with lists and downloads under the cache, so the
# system's lists stay as they are.
#
# A build cut short (a stopped session, a reboot) is taken up where it stopped: the build
# folder is kept beside the cache with the inputs it was configured from.
#
# Usage: scripts/qt-windows.sh [--cached | --options | --source DIR]
#   prints the prefix on its last line of standard output; progress goes to standard error.
#   --cached: only look; exit 3 (printing nothing) when no finished build is in the cache.
#   --options: print the configure options, one a line.
#   --source DIR: only fetch and patch the source into DIR/src and print that path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
say() { echo "qt-windows: $*" >&2; }
die() {
  say "$*"
  exit 1
}

for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-gcc-ar-posix x86_64-w64-mingw32-windres \
  cmake ninja dpkg-source apt-get patch; do
  command -v "$tool" >/dev/null || die "missing $tool (scripts/deps.sh windows installs what is needed)"
done
[ -x /usr/lib/qt6/libexec/moc ] || die "missing the host Qt tools (qt6-base-dev-tools)"

pkgver() { dpkg-query -W -f='${Version}' "$1" 2>/dev/null; }
# The source version equals the host tools' version: a cross build of Qt runs the host's
# moc, rcc and uic, which must be the same release.
src_version=$(pkgver qt6-base-dev-tools)
[ -n "$src_version" ] || die "qt6-base-dev-tools is not installed"
qt_version=${src_version%%+*}
qt_version=${qt_version%%-*}
gcc_version=$(pkgver g++-mingw-w64-x86-64-posix)
[ -n "$gcc_version" ] || die "g++-mingw-w64-x86-64-posix is not installed"

toolchain="$root/cmake/mingw-w64-qt.cmake"
patch_dir="$root/packaging/windows/qt-patches"

# Only what the program uses. The +dfsg tarball has no wintab headers, so tablet events go;
# Direct2D is absent from Debian's mingw headers and DirectWrite 3 font support depends on it.
# Debian has no mingw builds of the third-party libraries, so Qt's bundled copies are used.
options=(
  -DCMAKE_BUILD_TYPE=Release
  -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_TESTS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DQT_BUILD_MANUAL_TESTS=OFF -DQT_BUILD_TOOLS_WHEN_CROSSCOMPILING=OFF
  -DFEATURE_gui=ON -DFEATURE_widgets=ON
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_testlib=OFF
  -DFEATURE_xml=OFF -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF
  -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF -DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF
  -DFEATURE_tabletevent=OFF -DFEATURE_jpeg=OFF -DFEATURE_sql_sqlite=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF -DFEATURE_system_doubleconversion=OFF
  -DFEATURE_system_md4c=OFF -DFEATURE_zstd=OFF
  # What more could go (FreeType, HarfBuzz, unused widgets, ...) and what each would save:
  # bench/qt-switches.sh. HarfBuzz's absence moves glyphs by a pixel in the window's text.
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
)

inputs() {
  echo "qt6-base source $src_version"
  echo "mingw g++ posix $gcc_version"
  printf 'option %s\n' "${options[@]}"
  echo "toolchain $(sha256sum <"$toolchain" | cut -c1-64)"
  if [ -d "$patch_dir" ]; then
    for p in "$patch_dir"/*.patch; do
      [ -f "$p" ] && echo "patch $(basename "$p") $(sha256sum <"$p" | cut -c1-64)"
    done
  fi
  return 0
}
key=$(inputs | sha256sum | cut -c1-12)
cache_root="${XDG_CACHE_HOME:-$HOME/.cache}/ocuvell"
prefix="$cache_root/qt-$qt_version-$key"
stamp="$prefix/ocuvell-qt.stamp"

complete() {
  [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$(inputs)" ] &&
    [ -x "$prefix/bin/qt-cmake" ] && [ -f "$prefix/bin/Qt6Widgets.dll" ] &&
    [ -f "$prefix/plugins/platforms/qwindows.dll" ]
}

# Fetches the qt6-base source into $1/src, with Debian's upstream fixes and our patches.
fetch_source() {
  # A private APT: deb-src entries for the machine's configured Debian sources.
  local work=$1 apt n f p src
  apt="$work/apt"
  mkdir -p "$apt/etc/sources.list.d" "$apt/etc/preferences.d" "$apt/lists/partial" \
    "$apt/cache/archives/partial"
  : >"$apt/etc/sources.list"
  n=0
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    sed -E 's/^Types:.*/Types: deb-src/' "$f" >"$apt/etc/sources.list.d/src$n.sources"
    n=$((n + 1))
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -nE 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >>"$apt/etc/sources.list"
  done
  local apt_opts=(
    -o "Dir::Etc::SourceList=$apt/etc/sources.list"
    -o "Dir::Etc::SourceParts=$apt/etc/sources.list.d"
    -o "Dir::Etc::Preferences=$apt/etc/preferences"
    -o "Dir::Etc::PreferencesParts=$apt/etc/preferences.d"
    -o "Dir::State::Lists=$apt/lists"
    -o "Dir::Cache=$apt/cache"
    -o "APT::Sandbox::User=$(id -un)"
  )
  say "fetching the qt6-base $src_version source"
  apt-get "${apt_opts[@]}" -qq update >&2 || die "apt-get update with the deb-src entries failed"
  (cd "$work" && apt-get "${apt_opts[@]}" -qq source --download-only "qt6-base=$src_version" >&2) ||
    die "apt-get source qt6-base=$src_version failed"
  # Debian's upstream fixes apply; the Debian-specific patches after them concern its own
  # packaging and are left out.
  (cd "$work" && dpkg-source --skip-patches -x ./*.dsc src >/dev/null 2>&1) || die "dpkg-source -x failed"
  src="$work/src"
  sed -n '/^# Debian specific/q;/^[^#[:space:]]/p' "$src/debian/patches/series" | while read -r p; do
    patch -d "$src" -p1 -s <"$src/debian/patches/$p" || die "Debian's $p does not apply"
  done
  if [ -d "$patch_dir" ]; then
    for p in "$patch_dir"/*.patch; do
      [ -f "$p" ] || continue
      patch -d "$src" -p1 -s <"$p" || die "$(basename "$p") does not apply"
    done
  fi
}

case "${1:-}" in
--options)
  # For measuring what each configure switch saves (bench/qt-switches.sh).
  printf '%s\n' "${options[@]}"
  exit 0
  ;;
--source)
  [ -n "${2:-}" ] || die "--source needs a folder"
  mkdir -p "$2"
  fetch_source "$2"
  echo "$2/src"
  exit 0
  ;;
esac

if complete; then
  say "cached: $prefix"
  echo "$prefix"
  exit 0
fi
if [ "${1:-}" = --cached ]; then
  say "no finished Qt for Windows in $cache_root"
  exit 3
fi

mkdir -p "$cache_root"
# One build at a time per key; a second caller waits and then finds the cache.
exec 9>"$cache_root/qt-$qt_version-$key.lock"
flock 9
if complete; then
  say "cached: $prefix"
  echo "$prefix"
  exit 0
fi

started=$(date +%s)
work="$cache_root/qt-build-$key"
if [ -f "$work/build/build.ninja" ] && [ -f "$work/inputs" ] && [ "$(cat "$work/inputs")" = "$(inputs)" ]; then
  say "taking up the build in $work where it stopped"
  resume=1
else
  resume=0
  rm -rf "$prefix" "$work"
fi
mkdir -p "$work" "$prefix"
if [ $resume -eq 0 ]; then

fetch_source "$work"
src="$work/src"
cp "$toolchain" "$prefix/mingw-w64-qt.cmake"
say "configuring (log: $work/configure.log)"
cmake -S "$src" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-w64-qt.cmake" \
  -DCMAKE_INSTALL_PREFIX="$prefix" "${options[@]}" >"$work/configure.log" 2>&1 ||
  {
    tail -n 40 "$work/configure.log" >&2
    die "configure failed"
  }
  inputs >"$work/inputs"
fi
jobs=$(nproc 2>/dev/null || echo 2)
say "building with $jobs jobs (log: $work/build.log); about an hour of CPU time"
cmake --build "$work/build" -j"$jobs" >"$work/build.log" 2>&1 || {
  grep -E 'error|FAILED' "$work/build.log" | head -n 40 >&2
  die "build failed"
}
cmake --install "$work/build" --prefix "$prefix" >"$work/install.log" 2>&1 || die "install failed"
inputs >"$stamp"
complete || die "the install lacks Qt6Widgets.dll, qwindows.dll or qt-cmake"
rm -rf "$work"
say "built in $(($(date +%s) - started)) s: $prefix"
echo "$prefix"
