# Shared by the end-to-end scripts: a private X server, a private copy of
# krntools (so the krntools.ini beside it belongs to the test), and waiting.
# Source it after setting `exe`.

for tool in Xvfb xdotool xwininfo import; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
pids=()
cleanup() { kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Waits up to $2 tenths of a second for the command in $1 to succeed.
wait_for() { for _ in $(seq "$2"); do eval "$1" && return 0; sleep 0.1; done; return 1; }

start_xvfb() {
    # Xvfb picks a free display number and writes it to fd 3.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    pids+=($!)
    wait_for '[ -s "$work/display" ]' 100 || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/run"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
}

# Starts the private copy of krntools and sets `wid` to its main window.
start_app() {
    cp "$exe" "$work/krntools" || fail "cannot copy $exe"
    (cd "$work" && exec env ${app_env:-} ./krntools) >"$work/app.log" 2>&1 &
    local app=$!
    pids+=($app)
    wait_for 'kill -0 $app 2>/dev/null || fail "krntools ended: $(cat "$work/app.log")"
              wid=$(xdotool search --onlyvisible --name "duzov V2\.1 --- 15\." | head -n1)
              [ -n "$wid" ]' 200 || fail "no window titled 'duzov V2.1 --- 15.通用显示屏'"
}
