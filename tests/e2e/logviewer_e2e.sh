#!/bin/bash
# The traffic log as a field engineer reads it: a reset clicked against the
# virtual screen, then Ctrl+L, then the viewer's Save As; the saved text holds
# the frame that went out and the screen's answer.
# usage: logviewer_e2e.sh <krntools> <vscreen> <shots>
set -u
exe=$1 vscreen=$2 shots=$3
. "$(dirname "$0")/lib.sh"
mkdir -p "$shots"

# The first visible window whose title starts with $1.
window_titled() {
    for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        case "$(xdotool getwindowname "$w" 2>/dev/null)" in "$1"*) echo "$w"; return 0 ;; esac
    done
    return 1
}

start_xvfb
export XDG_DATA_HOME="$work/data" # traffic.log lands in $XDG_DATA_HOME/krntools/
app_env="LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8"
"$vscreen" --link "$work/tty" >"$work/vscreen.log" 2>&1 &
pids+=($!)
wait_for '[ -e "$work/tty" ]' 50 || fail "the virtual screen did not start: $(cat "$work/vscreen.log")"
printf '[About]\nSend_Com=0\nSend_Port=9600\nSend_Screen=1\n[Ports]\n1=%s\n' "$work/tty" \
    >"$work/krntools.ini"
start_app

# Reset, "复位": 5640,1230 945x405 twips on the window = 376,82 63x27 px.
xdotool mousemove --window "$wid" 407 95 click 1
wait_for 'box=$(window_titled "Prompt Window")' 100 || fail "no box after reset: $(cat "$work/app.log")"
xdotool windowfocus "$box" 2>/dev/null
sleep 0.2
xdotool key Return
wait_for '! window_titled "Prompt Window" >/dev/null' 50 || fail "the box did not close"

xdotool windowfocus "$wid" 2>/dev/null
sleep 0.2
xdotool key --window "$wid" ctrl+l
wait_for 'viewer=$(window_titled "Traffic log - ")' 50 || fail "Ctrl+L opened no log viewer"
log=$(xdotool getwindowname "$viewer")
log=${log#Traffic log - }
echo "viewer on: $log"
[ "$log" = "$work/data/krntools/traffic.log" ] || fail "the viewer follows $log"
sleep 0.5 # one look at the file
import -window "$viewer" "$shots/log-viewer.png" || fail "screenshot failed"
echo "screenshot: $shots/log-viewer.png"

# Save As (the left button at the viewer's bottom right), into a file of ours.
geometry=$(xwininfo -id "$viewer" | sed -n 's/^ *Width: *//p; s/^ *Height: *//p' | paste -sd ' ')
read -r width height <<<"$geometry"
xdotool mousemove --window "$viewer" $((width - 137)) $((height - 23)) click 1
wait_for 'dialog=$(window_titled "Save As...")' 50 || fail "Save As opened no dialog"
xdotool windowfocus "$dialog" 2>/dev/null
sleep 0.3
# xdotool types "l" unreliably on Xvfb's keymap: a path without one, through a
# link of our own to the work folder.
short="/tmp/krnv$$"
ln -sfn "$work" "$short" || fail "cannot link $short"
trap 'rm -f "$short"; cleanup' EXIT
xdotool key ctrl+a
xdotool type --delay 30 "$short/saved.txt"
xdotool key Return
wait_for '[ -s "$work/saved.txt" ]' 50 || fail "nothing saved"
echo "saved:"
cat "$work/saved.txt"
grep -q 'send.*5A A5 07 01 00 0A 00 F3' "$work/saved.txt" || fail "the reset frame is not in the log"
grep -q 'reply *06 ' "$work/saved.txt" || fail "the screen's answer is not in the log"
echo "PASS"
