#!/usr/bin/env bash
# Installs the Debian packages that are missing; installs nothing when they
# are all present. Works as root or through sudo.
#   scripts/deps.sh          what the build, the tests and the benchmarks need
#   scripts/deps.sh demo     only what building and running the demo needs
set -euo pipefail

demo=(build-essential cmake qt6-base-dev qt6-serialport-dev libx11-dev
      fonts-unifont fonts-wqy-zenhei qt6-translations-l10n xvfb xauth)
tests=(xdotool x11-utils imagemagick
       dpkg-dev fakeroot file lintian desktop-file-utils appstream librsvg2-bin
       clang clang-format libclang-rt-14-dev ser2net chromium)
case ${1:-all} in
demo) packages=("${demo[@]}") ;;
all) packages=("${demo[@]}" "${tests[@]}") ;;
*) echo "usage: $0 [demo]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
# Another package manager at work (unattended upgrades, a software centre)
# holds the lock: wait for it rather than fail.
lock=(-o DPkg::Lock::Timeout=600)
for try in $(seq 60); do
    "${sudo[@]}" apt-get "${lock[@]}" update -qq && break
    [ "$try" -lt 60 ] || exit 1
    echo "apt-get update failed (the package lists may be locked); trying again in 10 s"
    sleep 10
done
"${sudo[@]}" apt-get "${lock[@]}" install -y -qq --no-install-recommends "${missing[@]}"
