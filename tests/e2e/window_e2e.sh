#!/bin/bash
# The window as an operator meets it in a real X server: its title and size, a
# line speed picked with the mouse and the keyboard and found in krntools.ini.
# usage: window_e2e.sh <krntools executable> <screenshot folder>
set -u
exe=$1 shots=$2
. "$(dirname "$0")/lib.sh"

start_xvfb
start_app
title=$(xdotool getwindowname "$wid")
[ "$title" = "duzov V2.1 --- 15.通用显示屏" ] || fail "window title is '$title'"
size=$(xwininfo -id "$wid" | sed -n 's/^ *Width: *//p; s/^ *Height: *//p' | paste -sd x)
echo "client area: $size"
[ "$size" = 627x312 ] || fail "client area is $size, not 627x312"

# The line-speed list: 74,70 94x20 in the communication frame at 6,6. A first
# start shows 9600; two down is 38400.
xdotool mousemove --window "$wid" 127 86 click 1
sleep 0.5
xdotool key Down Down Return
wait_for 'grep -qx "Send_Port=38400" "$work/krntools.ini" 2>/dev/null' 50 ||
    fail "Send_Port=38400 not in krntools.ini: $(cat "$work/krntools.ini" 2>/dev/null)"
echo "krntools.ini: $(tr '\n' ' ' <"$work/krntools.ini")"

sleep 0.3
mkdir -p "$shots"
import -window "$wid" "$shots/window.png" || fail "screenshot failed"
echo "screenshot: $shots/window.png"
echo "PASS"
