#!/usr/bin/env bash
# Re-renders the golden images of tests/golden/scenes.txt after an intended
# change to the picture. Look at every image before committing them.
# Renders on a virtual X server of its own with Mesa's software renderer,
# whatever DISPLAY says, as the tests that compare against the images do.
set -eu
build=${1:-build}
cd "$(dirname "$0")/.."
export LIBGL_ALWAYS_SOFTWARE=1
if [ "${2:-}" != --on-own-display ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$0" "$build" --on-own-display
fi
grep -v '^#' tests/golden/scenes.txt | while read -r name seed ticks keys; do
    [ -n "$name" ] || continue
    args=(--seed "$seed" --ticks "$ticks" --out "tests/golden/$name.png")
    [ "$keys" = "-" ] || args+=(--keys "$keys")
    "$build/zarvy-snapshot" "${args[@]}" > /dev/null
    echo "wrote tests/golden/$name.png"
done
