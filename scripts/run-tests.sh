#!/usr/bin/env bash
# Runs the whole test suite; starts its own virtual X server when there is
# no display, so it works on a headless machine.
set -u
build=${1:-build}
cd "$(dirname "$0")/.."
root=$(pwd)
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$build"
fi
cd "$build" && ctest --output-on-failure -j2 --timeout 300
