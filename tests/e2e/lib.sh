# Shared by the end-to-end scripts: a private X server, a private copy of
# krntools (so the krntools.ini beside it belongs to the test), and waiting
# for windows. Source it after setting `exe`.

for tool in Xvfb xdotool xwininfo import; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

work=$(mktemp -d)
xvfb_pid=
app_pid=
extra_pids=()
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    for p in "${extra_pids[@]}"; do kill "$p" 2>/dev/null; done
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    exit 1
}

# Waits up to $2 tenths of a second for the command in $1 to succeed.
wait_for() {
    local tries=$2
    for _ in $(seq "$tries"); do
        eval "$1" && return 0
        sleep 0.1
    done
    return 1
}

start_xvfb() {
    # Xvfb picks a free display number and writes it to fd 3.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    wait_for '[ -s "$work/display" ]' 100 || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    export DISPLAY=":$(head -n1 "$work/display")"
    export QT_QPA_PLATFORM=xcb
    export XDG_RUNTIME_DIR="$work/run"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
}

# Starts the private copy of krntools and sets `wid` to its main window.
start_app() {
    cp "$exe" "$work/krntools" || fail "cannot copy $exe"
    (cd "$work" && exec env ${app_env:-} ./krntools) >"$work/app.log" 2>&1 &
    app_pid=$!
    wid=
    for _ in $(seq 200); do
        wid=$(xdotool search --onlyvisible --name 'duzov V2\.1 --- 15\.' 2>/dev/null | head -n1)
        [ -n "$wid" ] && break
        kill -0 "$app_pid" 2>/dev/null || fail "krntools ended: $(cat "$work/app.log")"
        sleep 0.1
    done
    [ -n "$wid" ] || fail "no window titled 'duzov V2.1 --- 15.通用显示屏'"
}

# Sets `box` to the visible window titled exactly $1, waiting up to 10 s.
# no_box TITLE succeeds once no visible window has that title.
find_box() {
    box=
    for _ in $(seq 100); do
        # Compared in the shell: xdotool's regular expressions are not
        # reliable with multibyte titles outside a UTF-8 locale.
        for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
            [ "$(xdotool getwindowname "$w")" = "$1" ] && box=$w && return 0
        done
        sleep 0.1
    done
    return 1
}

no_box() {
    for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$1" ] && return 1
    done
    return 0
}

# Closes the box found by find_box with its default button.
close_box() {
    xdotool windowfocus "$box" 2>/dev/null
    sleep 0.2
    xdotool key Return
}
