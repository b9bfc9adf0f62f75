#!/bin/bash
# End-to-end checks of krntools.exe under Wine, run by `scripts/windows.sh check`.
# The same clicks go first to the Linux build and then to the Windows build,
# each against a fresh virtual screen; the frames that reach the screen must be
# the same, byte for byte. Then the installer: installed, run, removed, and an
# older package upgraded by a newer one. Expects WINEPREFIX set up with
# COM1 -> $com1.
# usage: check.sh <folder of krntools.exe> <Linux build folder> <com1 link> <shots>
#                 <the .msi> <a newer .msi of the same programs>
set -u
exe=$1/krntools.exe cli_exe=$1/krntools-cli.exe com1=$3 shots=$4 msi=$5 newer_msi=$6
linux_exe=$2/krntools linux_cli=$2/krntools-cli vscreen=$2/krntools-vscreen
. "$(dirname "$0")/../../tests/e2e/lib.sh"
command -v wine >/dev/null || fail "wine is not installed"
ser2net=$(command -v ser2net || echo /usr/sbin/ser2net)
[ -x "$ser2net" ] || fail "ser2net is not installed"
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
# Waits for the box titled $2, photographs the screen as $1 and closes the
# box with its default button.
answer_box() {
    local title=$2
    wait_for 'box=$(box_titled "$title")' 150 || return 1
    sleep 0.3
    import -window root "$shots/$1"
    xdotool windowfocus "$box" 2>/dev/null
    sleep 0.2
    xdotool key Return
    wait_for '! box_titled "$title" >/dev/null' 50
}
# Clicks at x,y of the window's client area. Pressed and released apart:
# Wine drops a click whose two halves arrive together.
click() {
    xdotool mousemove --window "$wid" "$1" "$2"
    sleep 0.2
    xdotool mousedown 1
    sleep 0.1
    xdotool mouseup 1
}
frames() { grep -c '| checksum good |' "$run/vscreen.log"; }
# The frames the screen received, as hex.
frame_lines() { grep '| checksum good |' "$run/vscreen.log" | awk -F ' [|] ' '{print $2}'; }

# ser2net in front of the pty $1, speaking RFC 2217 on a free port of
# 127.0.0.1: sets net_port and net_pid.
start_ser2net() {
    local dir=$run/ser2net
    mkdir -p "$dir"
    net_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    # "local": a pty has no modem lines to watch.
    printf 'connection: &screen\n  accepter: telnet(rfc2217),tcp,127.0.0.1,%s\n  connector: serialdev,%s,9600o81,local\n' \
        "$net_port" "$1" >"$dir/ser2net.yaml"
    "$ser2net" -n -u -c "$dir/ser2net.yaml" -P "$dir/ser2net.pid" >"$run/ser2net.log" 2>&1 &
    net_pid=$!
    pids+=($net_pid)
    wait_for "ss -Hltn 'sport = :$net_port' | grep -q LISTEN" 50 || fail "ser2net did not listen: $(cat "$run/ser2net.log")"
}

# One run: $1 names it, $2 is how to start the program in the current folder,
# $3 the line port 1 stands for: the pty itself, "COM1" (Wine's COM1, mapped
# to the pty), or "rfc2217" (ser2net in front of the pty). $4 is "answered"
# when the program hears the screen's acknowledgements, "deaf" when it cannot
# (Wine's COM1 on a pty: the frames go out, the 06 never comes back in).
# $5 is where the settings are put before the start (beside the copy), $6
# where the program is to keep them (the same file unless given).
scenario() {
    local name=$1 launch=$2 line=$3 hearing=$4
    run=$work/$name
    local seed=${5:-$run/krntools.ini}
    local kept=${6:-$seed}
    mkdir -p "$run"
    rm -f "$com1"
    "$vscreen" --link "$com1" --glyphs-text "$run/glyphs.txt" >"$run/vscreen.log" 2>&1 &
    local vscreen_pid=$!
    pids+=($vscreen_pid)
    wait_for '[ -e "$com1" ]' 50 || fail "the virtual screen did not start: $(cat "$run/vscreen.log")"
    local ports=""
    net_pid=""
    case $line in
    COM1) ;; # port 1 is COM1 on Windows by default
    rfc2217)
        start_ser2net "$com1"
        ports="[Ports]\r\n1=rfc2217://127.0.0.1:$net_port\r\n"
        ;;
    *) ports="[Ports]\r\n1=$line\r\n" ;;
    esac
    printf "[About]\r\nSend_Com=0\r\nSend_Port=9600\r\nSend_Screen=1\r\nSend_Width=64\r\nSend_Height=32\r\n$ports" \
        >"$seed"
    cp "$seed" "$run/seeded.ini"
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

    # Deaf, every command ends in the no-answer box, and the download stops
    # after its first frame.
    local box_title=$ok_title clock_frames=29 outcome=ok
    [ "$hearing" = deaf ] && { box_title=$silent_title; clock_frames=1; outcome=no-answer; }
    # Reset, "复位" at 376,82 63x27.
    click 407 95
    answer_box "$name-reset-$outcome.png" "$box_title" ||
        fail "$name: no '$box_title' box after reset: $(tail -3 "$run/app.log")"
    [ "$(frames)" = 1 ] || fail "$name: $(frames) frames after reset"
    # The panel, "加载" at 376,52 63x27: width 64, height 32 from the settings.
    click 407 65
    answer_box "$name-panel-$outcome.png" "$box_title" || fail "$name: no '$box_title' box after the panel command"
    [ "$(frames)" = 2 ] || fail "$name: $(frames) frames after the panel command"
    # Clock download, "加载" in the clock frame at 294,248 63x27.
    click 325 261
    answer_box "$name-download-$outcome.png" "$box_title" || fail "$name: no '$box_title' box after the download"
    [ "$(frames)" = $((2 + clock_frames)) ] ||
        fail "$name: expected 2 + $clock_frames frames, the screen logged $(frames)"
    if [ "$hearing" = answered ]; then
        wait_for 'grep -q "^Send_TimeSize=" "$kept"' 50 ||
            fail "$name: clock settings not stored in $kept: $(cat "$kept")"
        grep -a -q '^Send_Time=0' "$kept" || fail "$name: Send_Time: $(cat "$kept")"
    else
        ! grep -a -q '^Send_TimeSize=' "$kept" ||
            fail "$name: clock settings stored after a download nobody confirmed"
    fi

    kill "$app" $net_pid 2>/dev/null
    kill "$vscreen_pid"
    wait "$vscreen_pid" 2>/dev/null
    frame_lines >"$run/frames.txt"
    echo "$name: $(wc -l <"$run/frames.txt") frames, first: $(head -n1 "$run/frames.txt")"
}

start_xvfb
unset QT_QPA_PLATFORM # the Windows build has one platform and would refuse "xcb"
app_env="LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8"
ok_title="提示窗口"
silent_title="通讯出错--发送字节中"

scenario linux "cp '$linux_exe' krntools && exec env $app_env QT_QPA_PLATFORM=xcb ./krntools" "$com1" answered
grep -q '^5A A5 07 01 00 0A 00 F3$' "$work/linux/frames.txt" || fail "the reset frame is not 5A A5 07 01 00 0A 00 F3"
cp "$exe" "$work/krntools.exe"
wine_launch="cp '$work/krntools.exe' . && exec env $app_env wine krntools.exe"
scenario wine-com1 "$wine_launch" COM1 deaf
scenario wine-rfc2217 "$wine_launch" rfc2217 answered

# COM1: reset, panel and the first clock frame, as Linux sent them.
head -n 3 "$work/linux/frames.txt" | diff - "$work/wine-com1/frames.txt" >"$work/frames.diff" ||
    fail "wine-com1 sent other frames than Linux: $(head -20 "$work/frames.diff")"
echo "wine-com1: frames identical to Linux: $(wc -l <"$work/wine-com1/frames.txt")"
# The network line: everything, the whole glyph table included.
diff "$work/linux/frames.txt" "$work/wine-rfc2217/frames.txt" >"$work/frames.diff" ||
    fail "wine-rfc2217 sent other frames than Linux: $(head -20 "$work/frames.diff")"
diff "$work/linux/glyphs.txt" "$work/wine-rfc2217/glyphs.txt" >/dev/null ||
    fail "wine-rfc2217: the clock glyphs differ from Linux"
echo "wine-rfc2217: frames identical to Linux: $(wc -l <"$work/wine-rfc2217/frames.txt")"
# The command-line tool, without a line: the same frames from both builds.
mkdir -p "$work/cli-linux" "$work/cli-wine"
cp "$linux_cli" "$work/cli-linux/"
cp "$cli_exe" "$work/cli-wine/"
for command in reset "panel --width 64 --height 32" clock; do
    # shellcheck disable=SC2086 # the command's words are meant to split
    (cd "$work/cli-linux" && env -u DISPLAY ./krntools-cli --dry-run --screen 1 $command) \
        >"$work/cli-linux/out.txt" 2>/dev/null || fail "krntools-cli $command failed on Linux"
    # shellcheck disable=SC2086
    (cd "$work/cli-wine" && wine krntools-cli.exe --dry-run --screen 1 $command) 2>/dev/null |
        tr -d '\r' >"$work/cli-wine/out.txt"
    cmp -s "$work/cli-linux/out.txt" "$work/cli-wine/out.txt" ||
        fail "krntools-cli.exe $command: other frames than Linux: $(diff "$work/cli-linux/out.txt" "$work/cli-wine/out.txt" | head -5)"
    echo "krntools-cli.exe $command: $(wc -l <"$work/cli-wine/out.txt") frames identical to Linux"
done

# --- The installer ---------------------------------------------------------------
drive_c=$WINEPREFIX/drive_c
installed="$drive_c/Program Files/krntools"
link_name="krntools 通用显示屏设置工具.lnk"
appdata=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')")
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
msiexec() { wine msiexec "$1" "$(winepath -w "$2")" /qn; }
# The installed krntools products, one "{ProductCode}|||name" line each.
products() { wine uninstaller --list 2>/dev/null | tr -d '\r' | grep -a '|||krntools' || true; }
product_codes() { products | cut -d '|' -f 1; }
product_code() { msiinfo export "$1" Property | tr -d '\r' | awk -F '\t' '$1 == "ProductCode" { print $2 }'; }
msi_version() { basename "$1" | sed 's/^krntools-\(.*\)-windows-x64\.msi$/\1/'; }
reg_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
# The shortcut, in the all-users Start menu or (Wine) in the installing user's.
start_menu_link() {
    local dir
    for dir in "$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs" \
        "$appdata/Microsoft/Windows/Start Menu/Programs"; do
        [ -f "$dir/$link_name" ] && echo "$dir/$link_name" && return 0
    done
    return 1
}
# Nothing of krntools installed: no product, program folder or shortcut.
nothing_installed() {
    [ -z "$(products)" ] || fail "$1: still installed: $(products)"
    [ ! -e "$installed" ] || fail "$1: left behind: $(find "$installed")"
    ! link=$(start_menu_link) || fail "$1: the shortcut is left: $link"
}
# An earlier run that failed half-way leaves nothing to trip over: neither
# its installation nor the settings it put there (this Wine prefix is ours).
for code in $(product_codes); do wine msiexec /x "$code" /qn; done
rm -rf "$installed" "$appdata/krntools"
nothing_installed "before installing"

code=$(product_code "$msi")
msiexec /i "$msi" || fail "msiexec /i $(basename "$msi") failed"
for f in krntools.exe krntools-cli.exe; do
    cmp -s "$1/$f" "$installed/$f" || fail "installed $f is not the one built"
done
[ "$(cd "$installed" && LC_ALL=C ls | paste -sd ' ')" = "README.txt krntools-cli.exe krntools.exe" ] ||
    fail "Program Files\\krntools holds: $(ls "$installed")"
link=$(start_menu_link) || fail "no Start-menu shortcut '$link_name'"
# The shortcut's target and icon as Windows paths (UTF-16 in the .lnk).
lnk_text=$(python3 -c 'import sys; print(open(sys.argv[1], "rb").read().decode("utf-16-le", "replace"))' "$link" | tr -cd '[:print:]')
[[ "$lnk_text" == *'C:\Program Files\krntools\'* ]] || fail "the shortcut does not start in Program Files\\krntools"
cached_icon="$drive_c/windows/Installer/$code/krntools.ico"
cmp -s "$1/icon/krntools.ico" "$cached_icon" || fail "the product's icon is not in $cached_icon"
[[ "$lnk_text" == *"Installer\\$code\\krntools.ico"* ]] || fail "the shortcut does not carry the icon"
echo "installed: $(LC_ALL=C ls "$installed" | paste -sd ' '); shortcut $(basename "$link") with the icon"
# The Apps entry: version, publisher, icon.
key="$uninstall_key\\$code"
version=$(msi_version "$msi")
[ "$(reg_value "$key" DisplayVersion)" = "$version" ] || fail "Apps shows version '$(reg_value "$key" DisplayVersion)'"
[ "$(reg_value "$key" Publisher)" = "The krntools developers" ] || fail "Apps shows publisher '$(reg_value "$key" Publisher)'"
[[ "$(reg_value "$key" DisplayName)" == "krntools "* ]] || fail "Apps shows name '$(reg_value "$key" DisplayName)'"
packed=$(python3 -c 'import sys; g = sys.argv[1].strip("{}").replace("-", "")
print(g[7::-1] + g[11:7:-1] + g[15:11:-1] + "".join(g[i + 1] + g[i] for i in range(16, 32, 2)))' "$code")
[ "$(reg_value "HKLM\\Software\\Classes\\Installer\\Products\\$packed" ProductIcon)" = \
    "C:\\windows\\Installer\\$code\\krntools.ico" ] || fail "Apps shows no icon"
echo "Apps: krntools $version, The krntools developers, with the icon"

# The installed program, started by its Windows path as the shortcut starts
# it: a krntools.ini an administrator put beside it is where the user's own
# file in %APPDATA% starts from; the program never writes its own folder.
scenario wine-msi "exec env $app_env wine 'C:\\Program Files\\krntools\\krntools.exe'" rfc2217 answered \
    "$installed/krntools.ini" "$appdata/krntools/krntools.ini"
diff "$work/linux/frames.txt" "$work/wine-msi/frames.txt" >"$work/frames.diff" ||
    fail "wine-msi sent other frames than Linux: $(head -20 "$work/frames.diff")"
cmp -s "$work/wine-msi/seeded.ini" "$installed/krntools.ini" || fail "the program wrote its own folder's krntools.ini"
[ "$(cd "$installed" && LC_ALL=C ls | paste -sd ' ')" = "README.txt krntools-cli.exe krntools.exe krntools.ini" ] ||
    fail "the program left files in its own folder: $(ls "$installed")"
grep -a -q '^Send_Width=64' "$appdata/krntools/krntools.ini" || fail "the per-user file did not start from the one installed"
echo "wine-msi: frames identical to Linux; settings kept in %APPDATA%\\krntools\\krntools.ini: $(grep -a -c . "$appdata/krntools/krntools.ini") lines"

# Removal takes what it installed; the administrator's krntools.ini is not its own.
rm "$installed/krntools.ini"
msiexec /x "$msi" || fail "msiexec /x failed"
nothing_installed "after msiexec /x"
[ ! -e "$drive_c/windows/Installer/$code" ] || fail "the product's icon is left in C:\\windows\\Installer"
wine reg query "$key" >/dev/null 2>&1 && fail "Apps still lists krntools"
echo "removed: no program, shortcut, Apps entry or icon left (the user's settings stay)"

# An older package upgraded by a newer one: one installation, the newer; the
# older one then refuses to go over it.
newer_code=$(product_code "$newer_msi")
newer_version=$(msi_version "$newer_msi")
msiexec /i "$msi" || fail "msiexec /i $(basename "$msi") failed"
msiexec /i "$newer_msi" || fail "msiexec /i $(basename "$newer_msi") failed over $version"
[ "$(product_codes)" = "$newer_code" ] || fail "after the upgrade: $(products)"
[ "$(reg_value "$uninstall_key\\$newer_code" DisplayVersion)" = "$newer_version" ] || fail "Apps does not show $newer_version"
cmp -s "$1/krntools.exe" "$installed/krntools.exe" && start_menu_link >/dev/null ||
    fail "the upgraded installation lacks its program or shortcut"
! msiexec /i "$msi" 2>/dev/null || fail "$version installed over $newer_version"
[ "$(product_codes)" = "$newer_code" ] || fail "after the refused downgrade: $(products)"
echo "upgrade $version -> $newer_version: one installation, $newer_version; $version refused over it"
msiexec /x "$newer_msi" || fail "msiexec /x $(basename "$newer_msi") failed"
nothing_installed "after removing $newer_version"
echo "removed $newer_version: nothing left"
echo "screenshots: $shots"
echo "PASS"
