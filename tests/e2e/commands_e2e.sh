#!/bin/bash
# Reset pressed twice from the keyboard and the clock download clicked at its
# place on the window, with the virtual screen on serial port 1: what reached
# the screen, the box that answered, the settings file.
# usage: commands_e2e.sh <krntools> <vscreen> <shots>
set -u
exe=$1 vscreen=$2 shots=$3
. "$(dirname "$0")/lib.sh"
mkdir -p "$shots"

# The box titled exactly $1, compared in the shell: xdotool's patterns are not
# reliable with multibyte titles outside a UTF-8 locale.
box_titled() {
    for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$1" ] && echo "$w" && return 0
    done
    return 1
}
# Closes the box with its default button once it shows, and gives the window
# the keyboard back as a window manager would; fails if the box does not show,
# or if the check in $2 fails while it stands.
answer_box() {
    wait_for 'box=$(box_titled "$title")' 100 || return 1
    import -window root "$shots/$1"
    eval "${2:-true}" || fail "while the box stood: $2"
    xdotool windowfocus "$box" 2>/dev/null
    sleep 0.2
    xdotool key Return
    wait_for '! box_titled "$title" >/dev/null' 50 || fail "the box did not close"
    xdotool windowfocus "$wid" 2>/dev/null
    sleep 0.2
}

start_xvfb
# A Simplified-Chinese desktop: the box is titled "提示窗口" and the Chinese
# clock carries "℃" and the weekday names as 16x16 glyphs.
app_env="LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8"
title="提示窗口"
"$vscreen" --link "$work/tty" --glyphs-png "$work/glyphs.png" --glyphs-text "$work/glyphs.txt" \
    >"$work/vscreen.log" 2>&1 &
vscreen_pid=$!
pids+=($vscreen_pid)
wait_for '[ -e "$work/tty" ]' 50 || fail "the virtual screen did not start: $(cat "$work/vscreen.log")"
printf '[About]\nSend_Com=0\nSend_Port=9600\nSend_Screen=1\n[Ports]\n1=%s\n' "$work/tty" \
    >"$work/krntools.ini"
start_app
frames() { grep -c '| checksum good |' "$work/vscreen.log"; }
sleep 1.2 # one clock tick, so the preview shows the desktop's time
import -window "$wid" "$shots/window-zh.png"

# Reset, "复位": 5640,1230 945x405 twips on the window = 376,82 63x27 px. A
# press let go beside it gives it the focus without a click; then Space, twice.
# The focus comes back to it after each command, so the Down that follows
# changes no list (the scan-mode list below it once took the focus).
xdotool mousemove --window "$wid" 407 95 mousedown 1 mousemove --window "$wid" 407 140 mouseup 1
for n in 1 2; do
    xdotool key space
    answer_box "reset-ok-$n.png" || fail "no '$title' box after reset $n: $(cat "$work/app.log")"
done
xdotool key Down
sleep 0.5
[ "$(frames)" = 2 ] && grep -q '| 5A A5 07 01 00 0A 00 F3 |' "$work/vscreen.log" &&
    [ "$(grep -c 'cmd 0x0A reset .*checksum good' "$work/vscreen.log")" = 2 ] ||
    fail "not the two reset frames: $(grep checksum "$work/vscreen.log")"
grep -q '^Send_Scan=' "$work/krntools.ini" && fail "a list moved: $(cat "$work/krntools.ini")"

# Clock download, "&Write": 4320,210 in the clock frame at 90,3510 = 294,248 63x27 px.
xdotool mousemove --window "$wid" 325 261 click 1
# The clock settings are stored once the operator has read the message.
answer_box download-ok.png '! grep -q "^Send_Time" "$work/krntools.ini"' ||
    fail "no '$title' box after the download: $(tail -3 "$work/vscreen.log")"
[ "$(frames)" = 31 ] || fail "expected 2 + 29 frames, the screen logged $(frames)"
wait_for 'grep -q "^Send_TimeSize=" "$work/krntools.ini"' 50 ||
    fail "clock settings not stored: $(cat "$work/krntools.ini")"
grep -q '^Send_Time=0$' "$work/krntools.ini" || fail "Send_Time: $(cat "$work/krntools.ini")"

kill "$vscreen_pid"
wait "$vscreen_pid" 2>/dev/null
grep -q 'glyph table 912 bytes in 29 frames' "$work/vscreen.log" ||
    fail "the screen's glyph table: $(grep -i glyph "$work/vscreen.log" | tail -2)"
cp "$work/glyphs.png" "$shots/clock-glyphs.png" && cp "$work/glyphs.txt" "$shots/clock-glyphs.txt"
echo "glyph table: $shots/clock-glyphs.png"
echo "PASS"
