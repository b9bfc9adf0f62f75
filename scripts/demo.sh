#!/usr/bin/env bash
# Builds krntools and krntools-cli in Release (installing what is missing) and
# starts the window. With no serial hardware attached, a virtual screen answers
# on serial port 1, so every button can be tried; its log shows each frame it
# receives. The demo copy keeps its settings and its traffic log in its folder.
#   ./scripts/demo.sh              virtual screen if no USB/serial adapter is found
#   ./scripts/demo.sh --virtual    always the virtual screen
#   ./scripts/demo.sh --hardware   never the virtual screen
# Stop it with Ctrl+C or by closing the window: whatever it started stops too,
# also when the script itself is killed. KRN_DEMO_BIN=FOLDER runs the krntools
# and krntools-vscreen found there instead of building (the tests use it).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

mode=${1:-auto}
case $mode in
auto | --virtual | --hardware) ;;
*)
    sed -n '2,10s/^# \{0,1\}//p' "$0"
    [ "$mode" = --help ] || [ "$mode" = -h ]
    exit
    ;;
esac

if [ -n "${KRN_DEMO_BIN:-}" ]; then
    bin=$(cd "$KRN_DEMO_BIN" && pwd)
else
    ./scripts/deps.sh demo
    cmake --preset release >/dev/null
    cmake --build --preset release -j"$(nproc)" --target krntools krntools-cli krntools-vscreen
    bin=$root/build-release
fi

if [ "$mode" = auto ]; then
    mode=--virtual
    if compgen -G '/dev/ttyUSB*' >/dev/null || compgen -G '/dev/ttyACM*' >/dev/null; then
        mode=--hardware
    fi
fi
if [ "$mode" = --hardware ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Serial port n is the n-th serial device the system lists; see README.md to map it."
    echo "Stop it by closing the window (or Ctrl+C here)."
    exec "$bin/krntools"
fi

# Everything started below is stopped on the way out, however the script
# ends; setpriv also has each of them stopped by the kernel when the script
# dies without a chance to clean up (SIGKILL).
pids=()
stop_all() {
    trap - EXIT INT TERM HUP
    [ ${#pids[@]} -eq 0 ] || kill -TERM "${pids[@]}" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap stop_all EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
tied=()
if command -v setpriv >/dev/null 2>&1; then tied=(setpriv --pdeathsig TERM --); fi
# start LOG COMMAND...: runs COMMAND in the background, output to LOG.
start() {
    local log=$1
    shift
    "${tied[@]}" "$@" >"$log" 2>&1 &
    pids+=($!)
}
# Waits up to five seconds for the test in $1 to succeed.
wait_for() { for _ in $(seq 50); do eval "$1" && return 0; sleep 0.1; done; return 1; }

demo=$bin/demo
mkdir -p "$demo"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    # Xvfb picks a free display number and writes it to fd 3.
    rm -f "$demo/display"
    "${tied[@]}" Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
        3>"$demo/display" >"$demo/xvfb.log" 2>&1 &
    pids+=($!)
    wait_for '[ -s "$demo/display" ]' || { echo "Xvfb did not start: $(cat "$demo/xvfb.log")"; exit 1; }
    export DISPLAY=":$(head -n1 "$demo/display")"
    # The window must go to that server even where the shell was set up for
    # headless Qt programs.
    export QT_QPA_PLATFORM=xcb
    echo "No display found: the window runs in a virtual X server (Xvfb) on display $DISPLAY."
    echo "  To look at it, take a screenshot:  import -display $DISPLAY -window root shot.png"
    echo "  or watch it live with a VNC server: x11vnc -display $DISPLAY  (then a VNC viewer)"
fi

if [ "$mode" = --hardware ]; then
    echo "Serial port n is the n-th serial device the system lists; see README.md to map it."
    start "$demo/krntools.log" "$bin/krntools"
else
    # The demo copy keeps its own krntools.ini, which maps port 1 to the
    # virtual screen; krntools-cli beside it reads the same file.
    cp -f "$bin/krntools" "$demo/krntools"
    [ ! -x "$bin/krntools-cli" ] || cp -f "$bin/krntools-cli" "$demo/krntools-cli"
    link=$demo/vscreen-tty
    ini=$demo/krntools.ini
    # A first start also addresses screen 1, the virtual screen's number.
    [ -e "$ini" ] || printf '[About]\nSend_Screen=1\n' >"$ini"
    grep -qs '^\[Ports\]' "$ini" || printf '[Ports]\n1=%s\n' "$link" >>"$ini"
    rm -f "$link"
    start "$demo/vscreen.log" "$bin/krntools-vscreen" --link "$link" \
        --glyphs-png "$demo/clock-glyphs.png" --glyphs-text "$demo/clock-glyphs.txt"
    wait_for '[ -e "$link" ]' || { echo "the virtual screen did not start: $(cat "$demo/vscreen.log")"; exit 1; }
    echo "Virtual screen on $(readlink "$link") (serial port 1, screen number 1); its log: $demo/vscreen.log"
    [ ! -x "$demo/krntools-cli" ] || echo "The command-line tool on the same port: $demo/krntools-cli reset"
    # Its own traffic log, not the one of an installed krntools.
    export XDG_DATA_HOME=$demo/share
    echo "The window's traffic log: $XDG_DATA_HOME/krntools/traffic.log"
    start "$demo/krntools.log" "$demo/krntools"
fi
app=${pids[-1]}
echo "krntools is running. Stop it with Ctrl+C here or by closing its window."
# wait returns early when a signal arrives, so the traps above run at once.
wait "$app" || true
