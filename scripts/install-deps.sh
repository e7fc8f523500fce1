#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the benchmarks need.
# Idempotent: only missing packages are installed, and apt-get update runs only then.
set -euo pipefail

packages=(
    build-essential cmake pkg-config ninja-build clang-format
    clang libclang-rt-14-dev
    libvips-dev libvips-tools libpng-dev libexif-dev
    qt6-base-dev qt6-tools-dev libqt6opengl6-dev libgl-dev libquazip1-qt6-dev
    qt6-l10n-tools qt6-translations-l10n
    libgtest-dev
    imagemagick python3 time xvfb xauth xdotool openbox
    dpkg-dev file desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: all packages present"
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
