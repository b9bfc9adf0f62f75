#!/bin/bash
# The installed window as a user meets it. Started from a folder it cannot
# write, with a HOME of its own, it keeps a line speed picked in it in the
# per-user krntools.ini and writes nothing beside the executable. Run by root
# from /usr/bin, where the package puts it, it does the same although root
# could write there: the extracted tree is bound over /usr/bin in a mount name
# space of its own, so the program sees the real path and the test sees what
# it writes.
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
runtime=$work/app-run
mkdir -p "$work/home"
mkdir -m 700 "$runtime"
run_as=()
if [ "$(id -u)" -eq 0 ]; then
    # Root may write into any folder: the program runs as an ordinary user.
    command -v setpriv >/dev/null 2>&1 || { echo "SKIP: setpriv is not installed"; exit 77; }
    run_as=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
    chown 65534:65534 "$work/home" "$runtime"
fi
chmod -R a-w "$work/root"
listing() { find "$1" -printf '%M %s %T@ %p\n' | sort -k4; }
listing "$work/root" >"$work/before.txt"

start_xvfb

# Starts krntools with HOME=$1 (the rest: how), picks a line speed and waits
# for it in the per-user file; sets app and wid.
pick_speed() {
    local home=$1
    shift
    (exec env -u XDG_CONFIG_HOME HOME="$home" XDG_RUNTIME_DIR="$runtime" LANG=C.UTF-8 "$@") \
        >"$work/app.log" 2>&1 &
    app=$!
    pids+=($app)
    wait_for 'kill -0 $app 2>/dev/null || fail "krntools ended: $(cat "$work/app.log")"
              wid=$(xdotool search --onlyvisible --name "duzov V2\.1 --- 15\." | head -n1)
              [ -n "$wid" ]' 200 || fail "no krntools window: $(cat "$work/app.log")"
    # The line-speed list (74,70 94x20 in the communication frame at 6,6)
    # shows 9600 on a first start; two down is 38400.
    xdotool mousemove --window "$wid" 127 86 click 1
    sleep 0.5
    xdotool key Down Down Return
    local ini=$home/.config/krntools/krntools.ini
    wait_for 'grep -qx "Send_Port=38400" "$ini" 2>/dev/null' 50 ||
        fail "Send_Port=38400 not in $ini: $(cat "$ini" 2>&1)"
    echo "krntools ran as $(ps -o user= -p "$app"); per-user settings $ini: $(tr '\n' ' ' <"$ini")"
}

pick_speed "$work/home" sh -c 'cd "$0" && exec "$@"' "$bin" "${run_as[@]}" "$bin/krntools"
listing "$work/root" >"$work/after.txt"
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
kill "$app"
wait "$app" 2>/dev/null

# Root, from /usr/bin, in a folder root can write. Without root, a user name
# space of its own gives the mount and the write access.
ns=(unshare --mount --propagation private)
[ "$(id -u)" -eq 0 ] || ns+=(--map-root-user)
cp -a "$extracted" "$work/system"
"${ns[@]}" true 2>/dev/null || { echo "SKIP: no mount name space here for the run from /usr/bin"; exit 77; }
mkdir "$work/root-home"
runtime=$work/root-run
mkdir -m 700 "$runtime"
listing "$work/system" >"$work/before.txt"
pick_speed "$work/root-home" "${ns[@]}" sh -c 'mount --bind "$0" /usr/bin && cd / && exec /usr/bin/krntools' \
    "$work/system/usr/bin"
[ "$(id -u)" -ne 0 ] || [ "$(ps -o user= -p "$app")" = root ] || fail "krntools did not run as root"
listing "$work/system" >"$work/after.txt"
diff -u "$work/before.txt" "$work/after.txt" >"$work/listing.diff" ||
    fail "root's program from /usr/bin changed its folders: $(cat "$work/listing.diff")"
echo "run by root from /usr/bin: nothing written beside it ($(wc -l <"$work/after.txt") entries unchanged)"
echo PASS
