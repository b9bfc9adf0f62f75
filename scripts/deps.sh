#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need; installs
# nothing when they are all present.
set -euo pipefail

packages=(build-essential cmake qt6-base-dev qt6-serialport-dev libx11-dev
          fonts-unifont fonts-wqy-zenhei qt6-translations-l10n
          xvfb xauth xdotool x11-utils imagemagick
          dpkg-dev fakeroot file lintian desktop-file-utils appstream librsvg2-bin
          clang libclang-rt-14-dev
          ser2net)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
