#!/usr/bin/env bash
# Builds krntools (installing what is missing) and starts it. With no serial
# hardware attached, a virtual screen answers on serial port 1, so every button
# can be tried; its log shows each frame it receives.
#   ./scripts/demo.sh              virtual screen if no USB/serial adapter is found
#   ./scripts/demo.sh --virtual    always the virtual screen
#   ./scripts/demo.sh --hardware   never the virtual screen
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

./scripts/deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev -j"$(nproc)" --target krntools krntools-vscreen

mode=${1:-auto}
if [ "$mode" = auto ]; then
    mode=virtual
    compgen -G '/dev/ttyUSB*' >/dev/null || compgen -G '/dev/ttyACM*' >/dev/null && mode=hardware
fi

if [ "$mode" = "--hardware" ] || [ "$mode" = hardware ]; then
    echo "Serial port n is the n-th serial device the system lists; see README.md to map it."
    exec "$root/build/krntools"
fi

# The demo copy keeps its own krntools.ini, which maps port 1 to the virtual screen.
demo=$root/build/demo
mkdir -p "$demo"
cp -f "$root/build/krntools" "$demo/krntools"
link=$demo/vscreen-tty
ini=$demo/krntools.ini
# A first start also addresses screen 1, the virtual screen's number.
[ -e "$ini" ] || printf '[About]\nSend_Screen=1\n' >"$ini"
grep -qs '^\[Ports\]' "$ini" || printf '[Ports]\n1=%s\n' "$link" >>"$ini"

log=$demo/vscreen.log
"$root/build/krntools-vscreen" --link "$link" --glyphs-png "$demo/clock-glyphs.png" \
    --glyphs-text "$demo/clock-glyphs.txt" >"$log" 2>&1 &
screen_pid=$!
trap 'kill "$screen_pid" 2>/dev/null; wait "$screen_pid" 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done

echo "Virtual screen on $(readlink "$link") (serial port 1, screen number 1); its log: $log"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting krntools in a virtual X server (Xvfb)."
    xvfb-run -a -s "-screen 0 1024x768x24" "$demo/krntools"
    exit
fi
"$demo/krntools"
