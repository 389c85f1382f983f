#!/usr/bin/env bash
# Starts the game from the repository root, where Textures/ is.
set -u
build=${1:-build}
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    echo "No X display to open the game window on: run it from a desktop session, or headless with: xvfb-run -a -s \"-screen 0 1024x768x24\" make run" >&2
    exit 1
fi
exec "$build/zarvy"
