#!/usr/bin/env bash
# A private X server with the dummy video driver: its CRTC gamma round-trips exactly.
# Usage: scripts/xdummy.sh start DIR   -> prints the display (":N"); state kept in DIR
#        scripts/xdummy.sh stop DIR
set -euo pipefail
cmd=$1
dir=$(mkdir -p "$2" && cd "$2" && pwd)
case "$cmd" in
start)
  cat > "$dir/xorg.conf" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoAddGPU" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
  Modeline "1920x1080" 148.50 1920 2008 2052 2200 1080 1084 1089 1125 +hsync +vsync
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1920x1080"
    Virtual 1920 1080
  EndSubSection
EndSection
CONF
  Xorg=$(command -v Xorg || echo /usr/lib/xorg/Xorg)
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    # Xorg takes only a relative -config path from a non-root user. Its output goes to
    # files, so a caller reading ours through $(...) is not held open by the server.
    cd "$dir"
    setsid "$Xorg" ":$n" -config xorg.conf -noreset -nolisten tcp \
        -logfile "$dir/Xorg.$n.log" </dev/null >"$dir/xorg.out" 2>&1 &
    pid=$!
    echo "$pid" > "$dir/xorg.pid"
    cd - >/dev/null
    for _ in $(seq 1 100); do
      # Ours only when the display's lock names our server: two starts at once may pick the
      # same number, and the one that lost must not take the other's server for its own
      # (its owner stops it at the end, under the feet of the one that borrowed it).
      if [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock")" = "$pid" ] &&
         [ -S "/tmp/.X11-unix/X$n" ] && DISPLAY=":$n" xset q >/dev/null 2>&1; then
        echo ":$n" > "$dir/display"; echo ":$n"; exit 0
      fi
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
  done
  echo "xdummy: could not start Xorg with the dummy driver (see $dir/Xorg.*.log)" >&2
  exit 1 ;;
stop)
  if [ -f "$dir/xorg.pid" ]; then
    pid=$(cat "$dir/xorg.pid"); kill "$pid" 2>/dev/null || true
    for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
    rm -f "$dir/xorg.pid" "$dir/display"
  fi ;;
esac
