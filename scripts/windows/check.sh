#!/bin/bash
# End-to-end checks of krntools.exe under Wine, run by `scripts/windows.sh check`.
# The same clicks go first to the Linux build and then to the Windows build,
# each against a fresh virtual screen; the frames that reach the screen must be
# the same, byte for byte. Expects WINEPREFIX set up with COM1 -> $com1.
# usage: check.sh <krntools.exe> <linux krntools> <krntools-vscreen> <ptymodem.so> <com1 link> <shots>
set -u
exe=$1 linux_exe=$2 vscreen=$3 shim=$4 com1=$5 shots=$6
. "$(dirname "$0")/../../tests/e2e/lib.sh"
command -v wine >/dev/null || fail "wine is not installed"
mkdir -p "$shots"
cleanup_wine() { wineserver -k 2>/dev/null; cleanup; }
trap cleanup_wine EXIT
# A failure leaves a picture of the screen and the logs of the run.
fail() {
    echo "FAIL: $*"
    [ -n "${DISPLAY:-}" ] && import -window root "$shots/failed.png" 2>/dev/null
    [ -n "${run:-}" ] && tail -n 5 "$run"/*.log
    exit 1
}

# The box titled exactly $1 (xdotool's own matching is unreliable with
# multibyte titles outside a UTF-8 locale).
box_titled() {
    for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$1" ] && echo "$w" && return 0
    done
    return 1
}
# Waits for the box titled $title, photographs the screen as $1 and closes the
# box with its default button.
answer_box() {
    wait_for 'box=$(box_titled "$title")' 150 || return 1
    sleep 0.3
    import -window root "$shots/$1"
    xdotool windowfocus "$box" 2>/dev/null
    sleep 0.2
    xdotool key Return
    wait_for '! box_titled "$title" >/dev/null' 50
}
# Clicks at x,y of the window's client area.
click() { xdotool mousemove --window "$wid" $(($1 + dx)) $(($2 + dy)) click 1; }
frames() { grep -c '| checksum good |' "$run/vscreen.log"; }
# The frames the screen received, as hex.
frame_lines() { grep '| checksum good |' "$run/vscreen.log" | awk -F ' [|] ' '{print $2}'; }

# One run: $1 names it, $2 is how to start the program in the current folder.
scenario() {
    local name=$1 launch=$2
    run=$work/$name
    mkdir -p "$run"
    rm -f "$com1"
    "$vscreen" --link "$com1" --glyphs-text "$run/glyphs.txt" >"$run/vscreen.log" 2>&1 &
    local vscreen_pid=$!
    pids+=($vscreen_pid)
    wait_for '[ -e "$com1" ]' 50 || fail "the virtual screen did not start: $(cat "$run/vscreen.log")"
    # Port 1 is COM1 on Windows; the Linux build is told the device in [Ports].
    printf '[About]\r\nSend_Com=0\r\nSend_Port=9600\r\nSend_Screen=1\r\nSend_Width=64\r\nSend_Height=32\r\n[Ports]\r\n1=%s\r\n' \
        "$com1" >"$run/krntools.ini"
    (cd "$run" && eval "$launch") >"$run/app.log" 2>&1 &
    local app=$!
    pids+=($app)
    wait_for 'kill -0 $app 2>/dev/null || fail "$name ended: $(tail -5 "$run/app.log")"
              wid=$(xdotool search --onlyvisible --name "duzov V2\.1 --- 15\." | head -n1)
              [ -n "$wid" ]' 600 || fail "$name: no window titled 'duzov V2.1 --- 15.通用显示屏'"
    sleep 1.5 # let the first paint and a clock tick happen

    local size
    size=$(xwininfo -id "$wid" | sed -n 's/^ *Width: *//p; s/^ *Height: *//p' | paste -sd x)
    echo "$name: client area $size"
    [ "$size" = 627x312 ] || fail "$name: client area is $size, not 627x312"
    import -window "$wid" "$shots/$name-window.png"

    # The width and height boxes (72,44 68x20 and 72,70 68x20 in the panel
    # frame at 208,6) must show the remembered 64 and 32: dark pixels of
    # text on their white face.
    local box ink
    for box in 282,52 282,78; do
        ink=$(convert "$shots/$name-window.png" -crop "44x14+${box%,*}+${box#*,}" +repage \
            -colorspace Gray -threshold 50% -format '%[fx:round(w*h*(1-mean))]' info:)
        echo "$name: $ink dark pixels in the box at $box"
        [ "$ink" -ge 10 ] || fail "$name: the box at $box looks empty"
    done

    # Reset, "复位" at 376,82 63x27.
    click 407 95
    answer_box "$name-reset-ok.png" || fail "$name: no '$title' box after reset: $(tail -3 "$run/app.log")"
    [ "$(frames)" = 1 ] || fail "$name: $(frames) frames after reset"
    # The panel, "加载" at 376,52 63x27: width 64, height 32 from the settings.
    click 407 65
    answer_box "$name-panel-ok.png" || fail "$name: no '$title' box after the panel command"
    [ "$(frames)" = 2 ] || fail "$name: $(frames) frames after the panel command"
    # Clock download, "加载" in the clock frame at 294,248 63x27.
    click 325 261
    answer_box "$name-download-ok.png" || fail "$name: no '$title' box after the download"
    [ "$(frames)" = 31 ] || fail "$name: expected 2 + 29 frames, the screen logged $(frames)"
    wait_for 'grep -q "^Send_TimeSize=" "$run/krntools.ini"' 50 ||
        fail "$name: clock settings not stored: $(cat "$run/krntools.ini")"
    grep -a -q '^Send_Time=0' "$run/krntools.ini" || fail "$name: Send_Time: $(cat "$run/krntools.ini")"

    kill "$app" 2>/dev/null
    kill "$vscreen_pid"
    wait "$vscreen_pid" 2>/dev/null
    frame_lines >"$run/frames.txt"
    echo "$name: $(wc -l <"$run/frames.txt") frames, first: $(head -n1 "$run/frames.txt")"
}

start_xvfb
unset QT_QPA_PLATFORM # the Windows build has one platform and would refuse "xcb"
app_env="LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8"
title="提示窗口"

dx=0 dy=0
scenario linux "cp '$linux_exe' krntools && exec env $app_env QT_QPA_PLATFORM=xcb ./krntools"
cp "$exe" "$work/krntools.exe"
scenario wine "cp '$work/krntools.exe' . && exec env $app_env LD_PRELOAD='$shim' wine krntools.exe"

grep -q '^5A A5 07 01 00 0A 00 F3$' "$work/linux/frames.txt" || fail "the reset frame is not 5A A5 07 01 00 0A 00 F3"
diff "$work/linux/frames.txt" "$work/wine/frames.txt" >"$work/frames.diff" ||
    fail "Wine sent other frames than Linux: $(head -20 "$work/frames.diff")"
diff "$work/linux/glyphs.txt" "$work/wine/glyphs.txt" >/dev/null ||
    fail "the clock glyphs differ between Linux and Wine"
echo "frames identical on Linux and under Wine: $(wc -l <"$work/wine/frames.txt")"
echo "screenshots: $shots"
echo "PASS"
