# Shared by the install checks: a scratch folder, a private Xorg with the dummy driver,
# waiting for windows, and a tidy end. Sourced; the caller sets src (the source tree).
tmp=$(mktemp -d /tmp/ocuvell-check.XXXXXX)
chmod 755 "$tmp" # a normal user reaches the staged program in it
failures=0
pids=()
# Set here, not in start_x: callers take its display through $(...), a subshell whose
# variables the tidy end would never see, and the server would outlive the check.
xdir="$tmp/xdummy"

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  [ -f "$xdir/xorg.pid" ] && bash "$src/scripts/xdummy.sh" stop "$xdir"
  rm -rf "$tmp"
}
trap cleanup EXIT

# A private X server: the program changes the gamma and the tray check brings a panel,
# neither of which may reach the other tests' server. Prints the display, or fails.
start_x() {
  bash "$src/scripts/xdummy.sh" start "$xdir"
}

# needs TOOL...: a check without one of its tools is skipped (exit 77), not failed.
needs() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped" >&2; exit 77; }
  done
}

# The check's own X server as $display and DISPLAY, or the check is skipped.
use_private_x() {
  display=$(start_x) || { echo "no Xorg with the dummy driver: skipped" >&2; exit 77; }
  export DISPLAY="$display"
}

# start_openbox HOME: a real window manager on the display, up before it returns.
start_openbox() {
  HOME="$1" openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
  pids+=($!)
  wait_for 10 wmctrl -m || { fail "openbox did not come up"; cat "$tmp/openbox.log" >&2; exit 1; }
}

# wait_for SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds.
wait_for() {
  local tries=$(($1 * 10)); shift
  while [ "$tries" -gt 0 ]; do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1; tries=$((tries - 1))
  done
  return 1
}

# The program's main window (its title is "Ocuvell"), mapped.
main_window() { xdotool search --onlyvisible --name '^Ocuvell$' 2>/dev/null | head -n 1; }
has_main_window() { [ -n "$(main_window)" ]; }
# The restore command's warning box.
has_warning_box() { [ -n "$(xdotool search --onlyvisible --name '^tips$' 2>/dev/null)" ]; }
# A child that ended stays a zombie until waited for: that counts as ended.
# Read once: bash reaps its children by itself, so the file can vanish between two looks.
running() { local s; s=$(cat "/proc/$1/stat" 2>/dev/null) && [ -n "$s" ] && ! grep -q '^[0-9]* (.*) Z' <<<"$s"; }
map_state() { xwininfo -id "$1" 2>/dev/null | sed -n 's/^ *Map State: *//p'; }

# The title strip's images, in pixels from the window's corner (twips / 15).
click_minus() { xdotool mousemove --window "$1" 563 8 click 1; }
click_red_cross() { xdotool mousemove --window "$1" 610 9 click 1; }
