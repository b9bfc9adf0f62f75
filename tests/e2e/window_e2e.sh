#!/bin/bash
# The window as an operator meets it: krntools started from its own folder in
# a real X server, its size measured, a line speed picked with the mouse and
# the keyboard, the pick found in krntools.ini beside the executable.
#
# usage: window_e2e.sh <krntools executable> <screenshot folder>
set -u
exe=$1
shots=$2
. "$(dirname "$0")/lib.sh"

start_xvfb
start_app
title=$(xdotool getwindowname "$wid")
[ "$title" = "duzov V2.1 --- 15.通用显示屏" ] || fail "window title is '$title'"

info=$(xwininfo -id "$wid")
width=$(sed -n 's/^ *Width: *//p' <<<"$info")
height=$(sed -n 's/^ *Height: *//p' <<<"$info")
echo "client area: ${width}x${height}"
[ "$width" = 627 ] && [ "$height" = 312 ] || fail "client area is ${width}x${height}, not 627x312"

# The link's line-speed list: 74,70 94x20 in the communication frame at 6,6.
xdotool mousemove --window "$wid" 127 86 click 1
sleep 0.5
# A first start shows 9600; two down is 38400.
xdotool key Down Down Return

ini="$work/krntools.ini"
written='grep -Eq "^Send_Port *= *38400'$'\r''?\$" "$ini" 2>/dev/null'
wait_for "$written" 50 ||
    fail "Send_Port=38400 not in krntools.ini: $(cat "$ini" 2>/dev/null || echo '(no file)')"
echo "krntools.ini: $(tr '\r\n' '  ' <"$ini")"

sleep 0.3
mkdir -p "$shots"
import -window "$wid" "$shots/window.png" || fail "screenshot failed"
echo "screenshot: $shots/window.png"
echo "PASS"
