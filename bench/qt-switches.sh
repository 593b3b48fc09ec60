#!/usr/bin/env bash
# What each switch that configures a part of Qt out saves in the Qt for Windows build: Qt's
# source (scripts/qt-windows.sh --source) is configured once with the options the script
# uses minus the switches, then again with each group of switches, and the compile steps
# ninja would run are counted. A compile step is the unit that costs time; the whole
# build's time is measured by scripts/qt-windows.sh itself ("built in").
#
# Usage: bench/qt-switches.sh [WORK_DIR]   (default build/qt-switches; one to three minutes
#        of configure per group on 2 cores, no compiling)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-$root/build/qt-switches}
mkdir -p "$work" && work=$(cd "$work" && pwd)

mapfile -t options < <(bash "$root/scripts/qt-windows.sh" --options)
# The switches measured, in groups that go together (the name first). Those among
# scripts/qt-windows.sh's options are left out of the base the others are counted from.
groups=(
  "freetype freetype"
  "harfbuzz harfbuzz"
  "mimetypes mimetype"
  "widgets mdiarea dockwidget statusbar undoview wizard fontdialog colordialog
     filedialog fontcombobox lcdnumber dial splashscreen toolbox columnview syntaxhighlighter
     tablewidget treewidget textbrowser progressdialog errormessage"
  "documents pdf textodfwriter textmarkdownreader textmarkdownwriter undocommand undostack undogroup"
  "images imageformat_bmp imageformat_ppm imageformat_xbm"
)
names() { local g; for g in "${groups[@]}"; do set -- $g; shift; echo "$@"; done; }
mapfile -t every < <(names | tr ' ' '\n' | grep .)

src=$work/source/src
[ -d "$src" ] || src=$(bash "$root/scripts/qt-windows.sh" --source "$work/source" | tail -n 1)
toolchain=$root/cmake/mingw-w64-qt.cmake

without() { # the options with the named switches left out
  local o keep
  for o in "${options[@]}"; do
    keep=1
    for s in "$@"; do [ "$o" = "-DFEATURE_$s=OFF" ] && keep=0; done
    [ $keep -eq 1 ] && printf '%s\n' "$o"
  done
}
steps() { ninja -C "$1" -t commands | grep -c -E ' -c [^ ]+\.(c|cc|cpp|cxx)( |$)'; }

mapfile -t base < <(without "${every[@]}")
if [ ! -f "$work/base/build.ninja" ]; then
  cmake -S "$src" -B "$work/base" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$work/prefix" "${base[@]}" >"$work/base.log" 2>&1 ||
    { tail -n 20 "$work/base.log" >&2; exit 1; }
fi
# Qt keeps every feature's first answer in the cache, those that follow from a switch
# too; each count therefore starts from the options alone, all features asked afresh.
count() { # SWITCH...
  local f off=()
  for f in "$@"; do off+=("-DFEATURE_$f=OFF"); done
  cmake "$work/base" -U 'FEATURE_*' "${base[@]}" "${off[@]}" >"$work/with.log" 2>&1 ||
    { echo "configure failed ($work/with.log)" >&2; return 1; }
  steps "$work/base"
}
all=$(count)
printf '%-24s %6s %7s\n' "switch" "steps" "saved"
printf '%-24s %6d %7s\n' "(none of them)" "$all" "-"
measure() { # NAME SWITCH...
  local name=$1 n
  shift
  n=$(count "$@") || return 0
  printf '%-24s %6d %6.1f%%\n' "$name" "$n" "$(echo "($all - $n) * 100 / $all" | bc -l)"
}
for g in "${groups[@]}"; do measure $g; done
measure "all of them" "${every[@]}"
