#!/bin/sh
# Runs test cases that need folder permissions to hold as the unprivileged user "nobody":
# run as root they can only skip, and the test runs in CI are root's.
# Usage: run_unprivileged.sh BINARY FILTER [BINARY FILTER]...
# Exit 77 (skipped, with the reason) where no unprivileged run is possible.
set -u

skip() {
  echo "skipped: $*"
  exit 77
}

[ "$(id -u)" -eq 0 ] || skip "not root: the ordinary test run already covers these cases"
[ $(($# % 2)) -eq 0 ] && [ $# -gt 0 ] || { echo "usage: $0 BINARY FILTER..." >&2; exit 2; }
id nobody >/dev/null 2>&1 || skip "no user nobody"
group=$(id -gn nobody)

# The binaries and the scratch folder go where nobody can reach them, whatever the
# permissions of the build folder's parents.
work=$(mktemp -d "${TMPDIR:-/tmp}/ocuvell-unprivileged.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
mkdir "$work/tmp" && chown nobody:"$group" "$work/tmp"

if command -v setpriv >/dev/null 2>&1 &&
  setpriv --reuid=nobody --regid="$group" --clear-groups true 2>/dev/null; then
  as_nobody() { setpriv --reuid=nobody --regid="$group" --clear-groups "$@"; }
elif command -v runuser >/dev/null 2>&1 && runuser -u nobody -- true 2>/dev/null; then
  as_nobody() { runuser -u nobody -- "$@"; }
else
  skip "neither setpriv nor runuser can switch to the user nobody here"
fi

status=0
n=0
while [ $# -gt 0 ]; do
  n=$((n + 1))
  binary="$work/$n-$(basename "$1")"
  cp "$1" "$binary" && chmod 755 "$binary" || exit 1
  log="$work/$n.log"
  as_nobody env HOME="$work/tmp" OCUVELL_TEST_TMP="$work/tmp" "$binary" --gtest_filter="$2" \
    >"$log" 2>&1
  result=$?
  cat "$log"
  if [ $result -ne 0 ]; then
    status=1
  elif grep -q '^\[  SKIPPED \]' "$log"; then
    skip "$2 still skips as the user nobody"
  elif ! grep -q '^\[       OK \]' "$log"; then
    echo "no test matches $2"
    status=1
  fi
  shift 2
done
exit $status
