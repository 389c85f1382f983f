#!/usr/bin/env bash
# Re-renders the golden images of tests/golden/scenes.txt after an intended
# change to the picture. Look at every image before committing them.
set -eu
build=${1:-build}
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$0" "$build"
fi
grep -v '^#' tests/golden/scenes.txt | while read -r name seed ticks keys; do
    [ -n "$name" ] || continue
    args=(--seed "$seed" --ticks "$ticks" --out "tests/golden/$name.png")
    [ "$keys" = "-" ] || args+=(--keys "$keys")
    "$build/zarvy-snapshot" "${args[@]}" > /dev/null
    echo "wrote tests/golden/$name.png"
done
