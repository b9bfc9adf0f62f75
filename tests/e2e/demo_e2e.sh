#!/bin/bash
# The demo a newcomer starts, without a display: it says where the window is
# and how to stop it, and however it is stopped (Ctrl+C, SIGTERM, SIGKILL, the
# window closing) the virtual X server and the virtual screen it started stop
# with it.
# usage: demo_e2e.sh <source dir> <folder with krntools and krntools-vscreen>
set -u
src=$1 built=$2
for tool in Xvfb xdotool pgrep; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
demo=""
cleanup() {
    [ -z "$demo" ] || { kill -KILL "$demo" "${children[@]}" 2>/dev/null; wait 2>/dev/null; }
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
wait_for() { for _ in $(seq "$2"); do eval "$1" && return 0; sleep 0.1; done; return 1; }
# A process that ended but was not yet reaped by its new parent counts as gone.
alive() { local state; state=$(ps -o stat= -p "$1") && [[ $state != Z* ]]; }

mkdir "$work/bin"
cp "$built/krntools" "$built/krntools-vscreen" "$work/bin/"
children=()

for how in INT TERM KILL window; do
    if [ "$how" = KILL ] && ! command -v setpriv >/dev/null; then
        echo "$how: skipped, setpriv is not installed"
        continue
    fi
    log=$work/demo-$how.log
    # Ctrl+C reaches a script as SIGINT; a shell ignores it in what it starts in
    # the background, so the demo gets it back to default here.
    env -u DISPLAY -u WAYLAND_DISPLAY --default-signal=INT KRN_DEMO_BIN="$work/bin" \
        bash "$src/scripts/demo.sh" --virtual >"$log" 2>&1 &
    demo=$!
    wait_for 'grep -q "^krntools is running" "$log"' 200 || fail "$how: the demo did not start: $(cat "$log")"
    display=$(sed -n 's/.*virtual X server (Xvfb) on display \(:[0-9]*\)\..*/\1/p' "$log")
    [ -n "$display" ] || fail "$how: the demo does not say where the window is: $(cat "$log")"
    grep -q "import -display $display" "$log" || fail "$how: the demo does not say how to look at it"
    grep -q "Ctrl+C" "$log" || fail "$how: the demo does not say how to stop it"
    wait_for 'DISPLAY=$display xdotool search --onlyvisible --name "duzov V2\.1" >/dev/null' 100 ||
        fail "$how: no window on $display: $(cat "$log" "$work/bin/demo/krntools.log")"

    mapfile -t children < <(pgrep -P "$demo")
    names=$(for c in "${children[@]}"; do ps -o comm= -p "$c"; done | sort | paste -sd' ')
    [ "$names" = "Xvfb krntools krntools-vscree" ] || fail "$how: the demo runs '$names'"

    if [ "$how" = window ]; then
        # What closing the window comes to: krntools ends on its own.
        app=$(pgrep -P "$demo" -x krntools)
        kill -TERM "$app"
    else
        kill -"$how" "$demo"
    fi
    wait_for '! alive "$demo"' 50 || fail "$how: the demo went on running"
    for c in "${children[@]}"; do
        wait_for '! alive "$c"' 50 || fail "$how: $(ps -o comm= -p "$c") ($c) went on running"
    done
    wait "$demo" 2>/dev/null
    demo=""
    echo "$how: the demo and its ${#children[@]} processes (${names}) stopped"
done
echo PASS
