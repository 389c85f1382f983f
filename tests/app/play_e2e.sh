#!/usr/bin/env bash
# Plays the real game: boosts into the asteroid field until the ship hits a
# rock, then hands the view to the free camera and back while the ship's
# immunity counts down. The console must show the hit followed by exactly
# one hundred immunity lines, 99 down to 0, and none while the free camera
# has the view (no collision tests run then).
set -u
build=${1:?usage: play_e2e.sh BUILD_DIR}
# ZARVY_BIN may name another launcher of the game, such as the Windows
# build's under Wine.
ZARVY_BIN=${ZARVY_BIN:-$(cd "$build" && pwd)/zarvy}
. "$(dirname "$0")/e2e_lib.sh"
log=$(mktemp)
trap 'rm -f "$log" "$log.err"' EXIT

start_game "$(pwd)" "$log"
wait_for_window || fail "window"

fly_until_hit
hit=$HIT

# Hand the view to the free camera while the immunity is counting: a short
# tap, so the keyboard does not repeat the space bar.
sleep 0.4
press space; sleep 0.05; release space
sleep 0.3
frozen=$(grep -c '^playerImun ' "$log")
press e; sleep 0.8; release e
sleep 0.2
[ "$(grep -c '^playerImun ' "$log")" -eq "$frozen" ] || fail "immunity counted on while the free camera had the view"
[ "$frozen" -lt 100 ] || fail "the immunity ran out before the free camera took over"

# Give the ship back and let the immunity run out.
press space; sleep 0.05; release space
expect_immunity_countdown 5
echo "play_e2e: passed ($hit)"
