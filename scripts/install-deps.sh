#!/usr/bin/env bash
# Installs the Debian packages the game and its tests need, and nothing that
# is already there. Safe to run any number of times.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    freeglut3-dev libglew-dev libdevil-dev libglu1-mesa-dev libgl1-mesa-dri zlib1g-dev
    libpng-dev libjpeg-dev
    libgtest-dev libbenchmark-dev libjpeg-turbo-progs
    xvfb xauth xdotool x11-utils imagemagick
    dpkg-dev file lintian desktop-file-utils appstream groff man-db
    g++-mingw-w64-x86-64 wine wine64 python3
    clang-14 libclang-rt-14-dev libpng-dev libjpeg-dev
    emscripten node-acorn chromium firefox-esr fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "Missing packages (${missing[*]}) and no root rights or sudo to install them." >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
