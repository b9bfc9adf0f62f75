#!/bin/bash
# The packages as a user gets them: CPack builds the Debian package and the
# tarball from the build tree; every file must be where it belongs and nothing
# else be there; the menu entry and the AppStream metadata must validate;
# lintian must find no error; the extracted programs must answer --version
# without a display.
# usage: package_test.sh <build dir> <version> <program,program...> <source dir>
#                        <output folder> <screenshot folder>
set -u
build=$1 version=$2 src=$4 out=$5 shots=$6
IFS=, read -r -a programs <<<"$3"
app=io.github.krntools.krntools

for tool in cpack dpkg-deb dpkg-shlibdeps fakeroot lintian desktop-file-validate appstreamcli file; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done
fail() { echo "FAIL: $*"; exit 1; }

rm -rf "$out"
mkdir -p "$out"
cpack --config "$build/CPackConfig.cmake" -B "$out/cpack" >"$out/cpack.log" 2>&1 ||
    fail "cpack: $(tail -n 20 "$out/cpack.log")"
deb=$out/cpack/krntools_${version}_$(dpkg --print-architecture).deb
tgz=$out/cpack/krntools-${version}-Linux.tar.gz
[ -f "$deb" ] || fail "no $deb: $(ls "$out/cpack")"
[ -f "$tgz" ] || fail "no $tgz: $(ls "$out/cpack")"
echo "built $(basename "$deb") ($(stat -c %s "$deb") bytes) and $(basename "$tgz")"

# Exactly these files, relative to the prefix.
want=$out/want.txt
{
    for p in "${programs[@]}"; do
        echo "bin/$p"
        echo "share/man/man1/$p.1.gz"
    done
    echo "share/applications/$app.desktop"
    echo "share/metainfo/$app.metainfo.xml"
    echo "share/icons/hicolor/scalable/apps/$app.svg"
    for s in 16 32 48 64 128 256; do echo "share/icons/hicolor/${s}x${s}/apps/$app.png"; done
    echo "share/doc/krntools/copyright"
    echo "share/doc/krntools/changelog.gz"
} | sort >"$want"
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./usr/||' | sort >"$out/deb.txt"
diff -u "$want" "$out/deb.txt" >"$out/deb.diff" || fail "Debian package contents differ:
$(cat "$out/deb.diff")"
tar -tzf "$tgz" | grep -v '/$' | sed "s|^krntools-$version-Linux/||" | sort >"$out/tgz.txt"
diff -u "$want" "$out/tgz.txt" >"$out/tgz.diff" || fail "tarball contents differ:
$(cat "$out/tgz.diff")"
echo "contents: $(wc -l <"$want") files, the same in both, each where it belongs"
dpkg-deb --fsys-tarfile "$deb" | tar -tv | awk '$2 != "root/root" { print; bad=1 } END { exit bad }' ||
    fail "files not owned by root"

# The control data: the project's version, computed library dependencies plus
# the fonts and Qt's translations, and a description of what the tool is for.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
depends=$(field Depends)
for d in fonts-unifont qt6-translations-l10n libqt6widgets6 libqt6serialport6 libc6; do
    [[ ", $depends," == *", $d"[\ ,]* ]] || fail "Depends lacks $d: $depends"
done
[ "$(field Section)" = electronics ] || fail "Section is '$(field Section)'"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer: '$(field Maintainer)'"
field Description | grep -q 'LED display' || fail "Description: $(field Description)"
echo "control: Version $version; Depends $depends"

dpkg-deb -x "$deb" "$out/root"
root=$out/root/usr
grep -qx 'License: MIT' "$root/share/doc/krntools/copyright" || fail "copyright names no MIT licence"
grep -q '<project_license>MIT</project_license>' "$root/share/metainfo/$app.metainfo.xml" ||
    fail "metadata names no MIT licence"
for s in 16 32 48 64 128 256; do
    file "$root/share/icons/hicolor/${s}x${s}/apps/$app.png" | grep -q "PNG image data, $s x $s," ||
        fail "the ${s}x${s} icon is $(file -b "$root/share/icons/hicolor/${s}x${s}/apps/$app.png")"
done
for p in "${programs[@]}"; do
    file "$root/bin/$p" | grep -q 'ELF.*, stripped' || fail "$p: $(file -b "$root/bin/$p")"
    zcat "$root/share/man/man1/$p.1.gz" | grep -q "^\.TH .* 1 .*\"krntools $version\"" ||
        fail "the manual page of $p does not show version $version"
done

desktop-file-validate "$root/share/applications/$app.desktop" >"$out/desktop.log" 2>&1 ||
    fail "desktop-file-validate: $(cat "$out/desktop.log")"
echo "desktop-file-validate: ok $(cat "$out/desktop.log")"
appstreamcli validate --no-net "$root/share/metainfo/$app.metainfo.xml" >"$out/appstream.log" 2>&1 ||
    fail "appstreamcli: $(cat "$out/appstream.log")"
echo "appstreamcli: $(tail -n 1 "$out/appstream.log")"
lintian --fail-on error --tag-display-limit 0 "$deb" >"$out/lintian.log" 2>&1 ||
    fail "lintian: $(cat "$out/lintian.log")"
echo "lintian: $(grep -c '^E:' "$out/lintian.log") errors, $(grep -c '^W:' "$out/lintian.log") warnings"
grep '^[EW]:' "$out/lintian.log"

# The extracted programs, without a display: --version and --help print and end.
for p in "${programs[@]}"; do
    got=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LANG=C.UTF-8 timeout 10 "$root/bin/$p" --version) ||
        fail "$p --version failed: $got"
    [ "$got" = "$p $version" ] || fail "$p --version printed '$got'"
    echo "$p --version: $got"
done
help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LANG=C.UTF-8 timeout 10 "$root/bin/krntools" --help) ||
    fail "krntools --help failed: $help"
[[ "$help" == "Usage: krntools [--help | --version]"* ]] || fail "krntools --help printed: $help"

# The PNG sizes still come from the SVG they are drawn from.
if command -v rsvg-convert >/dev/null && command -v compare >/dev/null; then
    "$src/scripts/render-icons.sh" "$out/icons" || fail "render-icons.sh failed"
    for s in 16 32 48 64 128 256; do
        differ=$(compare -metric AE -fuzz 2% "$out/icons/krntools-$s.png" \
            "$root/share/icons/hicolor/${s}x${s}/apps/$app.png" null: 2>&1)
        [ "$differ" = 0 ] || fail "the ${s}x${s} icon differs from its SVG in $differ pixels"
    done
    echo "icons: every PNG size matches a fresh rendering of the SVG"
else
    echo "icons: rsvg-convert or compare missing, PNGs not compared with the SVG"
fi

# The installed icon at two sizes, on a light and a dark background, for a person to look at.
if command -v convert >/dev/null; then
    mkdir -p "$shots"
    for s in 48 256; do
        icon=$root/share/icons/hicolor/${s}x${s}/apps/$app.png
        pad=$((s / 4))
        convert \( "$icon" -background '#f0f0f0' -gravity center -extent $((s + pad))x$((s + pad)) \) \
            \( "$icon" -background '#2b2b2b' -gravity center -extent $((s + pad))x$((s + pad)) \) \
            +append "$shots/icon-$s.png" || fail "icon screenshot failed"
        echo "screenshot: $shots/icon-$s.png"
    done
fi
echo PASS
