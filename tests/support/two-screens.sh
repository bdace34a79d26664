#!/usr/bin/env bash
# Runs a command on an X server with two screens side by side, as a desktop with two monitors
# has them: Xorg's dummy driver with two RandR outputs, 1920x1080 and 1280x720 to its right. Xvfb
# cannot show this (its extra screens are X screens of their own, which SDL does not place
# windows on). Exits 77 (skipped) where Xorg cannot be started, for example without root.
# Usage: two-screens.sh COMMAND [ARGS...]
set -euo pipefail
dir=$(mktemp -d)
server=""
cleanup() {
    [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT
cat >"$dir/xorg.conf" <<'CONF'
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 3200 1080
    EndSubSection
EndSection
CONF
[ "$(id -u)" = 0 ] && command -v Xorg >/dev/null || { echo "two-screens: needs root and Xorg" >&2; exit 77; }
# The first free display number from 50.
number=50
while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
Xorg ":$number" -config "$dir/xorg.conf" -configdir "$dir" -logfile "$dir/xorg.log" -nolisten tcp \
    -noreset >/dev/null 2>&1 &
server=$!
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done
export DISPLAY=":$number"
# The driver's outputs take modes only after a first query has probed them.
xrandr >/dev/null
xrandr --newmode 1920x1080 148.50 1920 2008 2052 2200 1080 1084 1089 1125 +hsync +vsync
xrandr --newmode 1280x720 74.25 1280 1390 1430 1650 720 725 730 750 +hsync +vsync
xrandr --addmode DUMMY0 1920x1080
xrandr --addmode DUMMY1 1280x720
xrandr --output DUMMY0 --mode 1920x1080 --pos 0x0 --output DUMMY1 --mode 1280x720 --pos 1920x0
[ "$(xrandr | grep -c ' connected')" = 2 ] || { echo "two-screens: no second screen" >&2; exit 1; }
"$@"
