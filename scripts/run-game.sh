#!/usr/bin/env bash
# Starts the game from the repository root, where Textures/ is.
set -u
build=${1:-build}
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    # The installed launcher prints the same line, with its own command.
    line=$(cat packaging/no-display.txt)
    printf '%s\n' "${line//%s/make run}" >&2
    exit 1
fi
exec "$build/zarvy"
