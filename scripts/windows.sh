#!/usr/bin/env bash
# Builds krntools.exe for 64-bit Windows on Debian 12 with MinGW-w64, and with
# `check` proves it under Wine against the Linux virtual screen.
#
#   scripts/windows.sh            build build-windows/krntools.exe, the zip and the .msi
#   scripts/windows.sh check      build, then run the end-to-end checks under Wine,
#                                 the installer's among them
#   scripts/windows.sh qt         only build (or resume building) Qt for Windows
#
# Qt 6.4.2 for Windows (static: Core, Gui, Widgets, Network, Test, SerialPort)
# is built once into $KRN_QT_WIN (default ~/.cache/krntools/qt-6.4.2-mingw) and
# reused from then on. Its sources: Debian's own qt6-base source package,
# fetched through a private, temporary deb-src list (the machine's apt
# configuration is never touched), and Qt Serial Port from
# $KRN_QTSERIALPORT_SRC (a tarball or an unpacked folder; default the vendored
# tarball). The host tools (moc, rcc, uic) are Debian's Qt 6.4.2.
#
# Not part of .ci/run: the Qt build alone takes 20 to 40 minutes on 2 cores.
# Set KRN_NICE=0 to build at normal priority.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

qt_version=6.4.2
target=x86_64-w64-mingw32
prefix=${KRN_QT_WIN:-$HOME/.cache/krntools/qt-$qt_version-mingw}
serialport_src=${KRN_QTSERIALPORT_SRC:-$(realpath -m "$root/../shared/vendor/qtserialport-$qt_version.tar.xz")}
out=$root/build-windows
jobs=${KRN_JOBS:-2}
mode=${1:-build}
version=$(sed -n 's/^project(krntools VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
msi=$out/krntools-$version-windows-x64.msi

nice=()
if [ "${KRN_NICE:-1}" != 0 ]; then
    nice=(nice -n 19)
    command -v ionice >/dev/null && nice+=(ionice -c3)
fi

# --- timing ------------------------------------------------------------------
step_names=()
step_secs=()
step() {
    local name=$1
    shift
    local t0=$SECONDS
    echo "== $name"
    "$@"
    local dt=$((SECONDS - t0))
    step_names+=("$name")
    step_secs+=("$dt")
    printf '== %s: %dm%02ds\n' "$name" $((dt / 60)) $((dt % 60))
}
summary() {
    echo "== step times"
    local i
    for i in "${!step_names[@]}"; do
        printf '   %-28s %4dm%02ds\n' "${step_names[$i]}" $((step_secs[i] / 60)) $((step_secs[i] % 60))
    done
}

# --- packages ----------------------------------------------------------------
packages=(g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
          cmake ninja-build dpkg-dev xz-utils zip icoutils pkg-config wixl msitools
          qt6-base-dev qt6-base-dev-tools)
check_packages=(wine wine64 xvfb xauth xdotool x11-utils imagemagick ser2net python3 iproute2)

install_packages() {
    local wanted=("${packages[@]}") missing=() p
    [ "$mode" = check ] && wanted+=("${check_packages[@]}")
    for p in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && { echo "all present"; return; }
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# --- Qt for Windows ----------------------------------------------------------
toolchain=$prefix/mingw-w64.cmake
work=$prefix-work

# Rewritten only when it changes: a newer toolchain file makes a configured
# Qt build start over.
write_toolchain() {
    mkdir -p "$prefix"
    cat >"$toolchain.new" <<EOF
# MinGW-w64 (posix threads) cross toolchain; Qt's qt.toolchain.cmake chains it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $target-gcc-posix)
set(CMAKE_CXX_COMPILER $target-g++-posix)
set(CMAKE_RC_COMPILER $target-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$target)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
    if cmp -s "$toolchain.new" "$toolchain"; then rm "$toolchain.new"; else mv "$toolchain.new" "$toolchain"; fi
}

# apt-get source through a private sources list, lists and cache, so the
# machine's own apt configuration and state stay as they were.
fetch_qtbase() {
    rm -rf "$work/src" && mkdir -p "$work/src"
    local apt=$work/apt
    rm -rf "$apt" && mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial"
    local uri suite
    uri=$(grep -h -m1 -E '^URIs: .*debian/?$' /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '{print $2}')
    uri=${uri:-http://deb.debian.org/debian}
    suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $uri $suite main" >"$apt/sources.list"
    local opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o Dir::Etc::SourceParts=-
                -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache"
                -o Dir::State::status=/var/lib/dpkg/status -o Debug::NoLocking=1
                -o APT::Sandbox::User=root)
    apt-get "${opts[@]}" update -qq
    (cd "$work/src" && apt-get "${opts[@]}" source -qq qt6-base)
    rm -rf "$apt"
    mv "$work/src"/qt6-base-"$qt_version"*/ "$work/qtbase"
    rm -rf "$work/src"
}

# Only what krntools needs: no SQL, printing, D-Bus, OpenGL, TLS, HTTP, PDF,
# markdown, image plugins or the FreeType and HarfBuzz engines (Windows draws
# text with GDI). Direct2D would be a second platform plugin. Debian's source
# lacks src/3rdparty/wintab, hence no tablet events. An interrupted build
# resumes where it stopped. -O1 rather than Qt's -O2/-O3: it compiles in far
# less time, and a configuration tool does not need the last few per cent.
build_qtbase() {
    local b=$work/qtbase-build
    [ -f "$b/build.ninja" ] || "${nice[@]}" cmake -S "$work/qtbase" -B "$b" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DQT_HOST_PATH=/usr \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DBUILD_SHARED_LIBS=OFF \
        -DQT_USE_DEFAULT_CMAKE_OPTIMIZATION_FLAGS=ON \
        -DCMAKE_C_FLAGS_RELEASE="-O1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
        -DFEATURE_sql=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF \
        -DFEATURE_xml=OFF -DFEATURE_dbus=OFF -DFEATURE_ssl=OFF \
        -DINPUT_opengl=no -DFEATURE_vulkan=OFF \
        -DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF \
        -DFEATURE_tabletevent=OFF \
        -DFEATURE_harfbuzz=OFF -DFEATURE_freetype=OFF -DFEATURE_pdf=OFF \
        -DFEATURE_textmarkdownreader=OFF -DFEATURE_textmarkdownwriter=OFF -DFEATURE_textodfwriter=OFF \
        -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF -DFEATURE_tuiotouch=OFF \
        -DFEATURE_schannel=OFF -DFEATURE_http=OFF -DFEATURE_networkdiskcache=OFF -DFEATURE_dnslookup=OFF \
        -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
        -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF \
        -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_doubleconversion=OFF \
        -DFEATURE_system_libb2=OFF \
        >"$work/qtbase-configure.log" 2>&1 || { tail -40 "$work/qtbase-configure.log"; return 1; }
    "${nice[@]}" cmake --build "$b" --parallel "$jobs" >"$work/qtbase-build.log" 2>&1 \
        || { grep -B2 -A10 -m3 'error' "$work/qtbase-build.log" | head -60; return 1; }
    cmake --install "$b" >/dev/null
}

build_serialport() {
    local s=$work/qtserialport b=$work/qtserialport-build
    rm -rf "$s" "$b"
    if [ -d "$serialport_src" ]; then
        cp -a "$serialport_src" "$s"
    else
        mkdir -p "$s"
        tar -xf "$serialport_src" -C "$s" --strip-components=1
    fi
    "${nice[@]}" "$prefix/bin/qt-cmake" -S "$s" -B "$b" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        >"$work/qtserialport-configure.log" 2>&1 || { tail -40 "$work/qtserialport-configure.log"; return 1; }
    "${nice[@]}" cmake --build "$b" --parallel "$jobs" >"$work/qtserialport-build.log" 2>&1 \
        || { grep -B2 -A10 -m3 'error' "$work/qtserialport-build.log" | head -60; return 1; }
    cmake --install "$b" >/dev/null
}

qt_ready() {
    [ -f "$prefix/lib/cmake/Qt6SerialPort/Qt6SerialPortConfig.cmake" ] &&
        [ -f "$prefix/lib/cmake/Qt6Network/Qt6NetworkConfig.cmake" ] &&
        [ -f "$prefix/.krntools-complete" ]
}

# --- krntools.exe ------------------------------------------------------------
# The .ico from the project's own icon pictures; 256 px stored as PNG, as
# Windows expects of that size.
make_icon() {
    local dir=$out/icon icons=$root/data/icons
    rm -rf "$dir" && mkdir -p "$dir"
    icotool -c -o "$dir/krntools.ico" "$icons"/krntools-{16,32,48}.png -r "$icons/krntools-256.png"
    echo "   $dir/krntools.ico"
}

build_krntools() {
    # A build folder configured against another Qt would keep linking that one.
    if [ -f "$out/CMakeCache.txt" ] && ! grep -q "^Qt6_DIR:PATH=$prefix/" "$out/CMakeCache.txt"; then
        rm -rf "$out/CMakeCache.txt" "$out/CMakeFiles"
    fi
    "${nice[@]}" "$prefix/bin/qt-cmake" -S "$root" -B "$out" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
        -DKRN_WINDOWS_ICON="$out/icon/krntools.ico" >/dev/null
    local targets=(krntools krntools-cli) t
    "${nice[@]}" cmake --build "$out" --parallel "$jobs" --target "${targets[@]}"
    for t in "${targets[@]}"; do
        "$target-strip" "$out/$t.exe"
        ls -l "$out/$t.exe" | awk '{printf "   %s %d bytes\n", $9, $5}'
    done
}

# README.txt for the zip and the installer, with the version and Windows line ends.
make_readme() {
    sed "s/@VERSION@/$version/g; s/\$/\r/" "$root/packaging/windows/README.txt" >"$out/README.txt"
}

make_zip() {
    local stage=$out/zip/krntools
    rm -rf "$out/zip" && mkdir -p "$stage"
    make_readme
    cp "$out"/krntools*.exe "$out/README.txt" "$stage/"
    rm -f "$out/krntools-$version-windows-x64.zip"
    (cd "$out/zip" && zip -q -9 -r "$out/krntools-$version-windows-x64.zip" krntools)
    rm -rf "$out/zip"
    ls -l "$out/krntools.exe" "$out/krntools-$version-windows-x64.zip" | awk '{printf "   %-60s %9d bytes\n", $9, $5}'
}

# The installer from packaging/windows/krntools.wxs: build_msi VERSION FILE.
# wixl 0.101 gives the database no code page of its own: it converts the
# strings to the code page of WINDOWS_LANGUAGE (else of the locale, where the
# Chinese shortcut name fails to convert and crashes it) and leaves the
# string table unmarked, so msibuild then marks it 936, which every Windows
# reads alike. wixl's "unimplemented" is its note on a shortcut that is not
# advertised, which it writes all the same.
build_msi() {
    local log=$out/wixl.log
    make_readme
    (cd "$out" && WINDOWS_LANGUAGE=zh_CN wixl -a x64 -D Version="$1" -o "$2" \
        "$root/packaging/windows/krntools.wxs") >"$log" 2>&1 || { cat "$log"; return 1; }
    grep -v 'builder.vala:[0-9]*: unimplemented' "$log" | grep . && return 1
    printf '\r\n\r\n936\t_ForceCodepage\r\n' >"$out/_ForceCodepage.idt"
    WINDOWS_LANGUAGE=zh_CN msibuild "$2" -i "$out/_ForceCodepage.idt" || return 1
    rm -f "$out/_ForceCodepage.idt" "$log"
}

make_msi() {
    build_msi "$version" "$msi"
    ls -l "$msi" | awk '{printf "   %-60s %9d bytes\n", $9, $5}'
}

# --- checks under Wine ---------------------------------------------------------
# krntools.exe runs under Wine in a private X server, with COM1 pointed at the
# Linux virtual screen's pty; a private Wine prefix lives in build-windows/wine.
# Wine's COM1 on a pty carries frames out but never reports the answer (see
# the README), so the whole round trip is proven on a network line through
# ser2net, and COM1 proves the bytes.
wine_prefix=$out/wine
com1=$out/com1

wine_env() {
    # No menu entries on this machine for the shortcuts the installer makes.
    export WINEPREFIX=$wine_prefix WINEDEBUG=${WINEDEBUG:--all} \
        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}

prepare_wine() {
    wine_env
    if [ ! -f "$wine_prefix/system.reg" ]; then
        DISPLAY= wineboot -i >/dev/null 2>&1
    fi
    # Wine rebuilds dosdevices/com1 from this key whenever its server starts.
    wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$com1" /f >/dev/null 2>&1
    wineserver -w
    # The Linux build: the virtual screen, and krntools itself to compare with.
    [ -f "$root/build/CMakeCache.txt" ] || cmake --preset dev >/dev/null
    "${nice[@]}" cmake --build "$root/build" --parallel "$jobs" --target krntools krntools-cli krntools-vscreen
}

# The installer's upgrade check needs a newer package: the same programs in
# a scratch build whose version has one more in its last part.
check_wine() {
    rm -rf "$out/screenshots" "$out/scratch"
    mkdir -p "$out/scratch"
    local newer=${version%.*}.$((${version##*.} + 1))
    build_msi "$newer" "$out/scratch/krntools-$newer-windows-x64.msi"
    "$root/scripts/windows/check.sh" "$out" "$root/build" "$com1" "$out/screenshots" \
        "$msi" "$out/scratch/krntools-$newer-windows-x64.msi"
}

# --- main --------------------------------------------------------------------
step "packages" install_packages
if qt_ready; then
    echo "== Qt for Windows: reusing $prefix"
else
    write_toolchain
    [ -f "$work/qtbase/CMakeLists.txt" ] || step "qtbase source" fetch_qtbase
    step "qtbase build" build_qtbase
    step "qtserialport build" build_serialport
    touch "$prefix/.krntools-complete"
    rm -rf "$work"
fi
[ "$mode" = qt ] && { summary; exit 0; }
step "icon" make_icon
step "krntools.exe" build_krntools
step "zip" make_zip
step "msi" make_msi
if [ "$mode" = check ]; then
    step "wine prefix" prepare_wine
    step "wine checks" check_wine
fi
summary
