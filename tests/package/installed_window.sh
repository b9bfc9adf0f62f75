#!/bin/bash
# The installed window as a user meets it: started from a folder it cannot
# write, with a HOME of its own, it keeps a line speed picked in it in the
# per-user krntools.ini and writes nothing beside the executable.
# usage: installed_window.sh <extracted package root> <screenshot folder>
set -u
extracted=$1 shots=$2
[ -x "$extracted/usr/bin/krntools" ] || { echo "SKIP: no extracted package in $extracted"; exit 77; }
. "$(dirname "$0")/../e2e/lib.sh"
trap 'chmod -R u+w "$work" 2>/dev/null; cleanup' EXIT

# A copy this test may make read-only, in a folder every user can reach.
chmod 755 "$work"
cp -a "$extracted" "$work/root"
bin=$work/root/usr/bin
home=$work/home
runtime=$work/app-run
mkdir -p "$home"
mkdir -m 700 "$runtime"
run_as=()
if [ "$(id -u)" -eq 0 ]; then
    # Root may write into any folder: the program runs as an ordinary user.
    command -v setpriv >/dev/null 2>&1 || { echo "SKIP: setpriv is not installed"; exit 77; }
    run_as=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
    chown 65534:65534 "$home" "$runtime"
fi
chmod -R a-w "$work/root"
listing() { find "$work/root" -printf '%M %s %T@ %p\n' | sort -k4; }
listing >"$work/before.txt"

start_xvfb
(cd "$bin" && exec env -u XDG_CONFIG_HOME HOME="$home" XDG_RUNTIME_DIR="$runtime" LANG=C.UTF-8 \
    "${run_as[@]}" "$bin/krntools") >"$work/app.log" 2>&1 &
app=$!
pids+=($app)
wait_for 'kill -0 $app 2>/dev/null || fail "krntools ended: $(cat "$work/app.log")"
          wid=$(xdotool search --onlyvisible --name "duzov V2\.1 --- 15\." | head -n1)
          [ -n "$wid" ]' 200 || fail "no krntools window: $(cat "$work/app.log")"
echo "krntools runs as $(ps -o user= -p "$app") from $bin"

# The line-speed list (74,70 94x20 in the communication frame at 6,6) shows
# 9600 on a first start; two down is 38400.
xdotool mousemove --window "$wid" 127 86 click 1
sleep 0.5
xdotool key Down Down Return
ini=$home/.config/krntools/krntools.ini
wait_for 'grep -qx "Send_Port=38400" "$ini" 2>/dev/null' 50 ||
    fail "Send_Port=38400 not in $ini: $(cat "$ini" 2>&1)"
echo "per-user settings $ini: $(tr '\n' ' ' <"$ini")"

listing >"$work/after.txt"
diff -u "$work/before.txt" "$work/after.txt" >"$work/listing.diff" ||
    fail "the program changed its installed folders: $(cat "$work/listing.diff")"
echo "installed folders unchanged ($(wc -l <"$work/after.txt") entries)"

# The window carries the installed icon's sizes (Qt hands X up to 128 pixels).
sizes=$(xprop -id "$wid" _NET_WM_ICON | sed -n 's/.*Icon (\([0-9]*\) x [0-9]*):.*/\1/p' | sort -n | paste -sd,)
[ "$sizes" = 16,32,48,64,128 ] || fail "the window's icon comes in sizes '$sizes'"
echo "window icon sizes: $sizes"
# The menu entry finds its running window by the window's class.
class=$(xprop -id "$wid" WM_CLASS | sed -n 's/.*", "\(.*\)"$/\1/p')
wmclass=$(sed -n 's/^StartupWMClass=//p' "$work/root/usr/share/applications/io.github.krntools.krntools.desktop")
[ "$class" = "$wmclass" ] || fail "the window's class is '$class', the menu entry expects '$wmclass'"
echo "window class: $class"
mkdir -p "$shots"
import -window "$wid" "$shots/package-window.png" && echo "screenshot: $shots/package-window.png"
echo PASS
