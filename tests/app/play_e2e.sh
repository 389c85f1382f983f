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

# Hand the view to the free camera while the immunity is counting, ten
# ticks into it: a short tap, so the keyboard does not repeat the space bar.
wait_for_line '^playerImun 90$'
press space; release space
# The count stops once the tap is handled: the same over five ticks.
frozen=""
for _ in $(seq 1 20); do
    before=$(grep -c '^playerImun ' "$log")
    wait_frames 5
    [ "$(grep -c '^playerImun ' "$log")" -eq "$before" ] && { frozen=$before; break; }
done
[ -n "$frozen" ] || fail "immunity counted on after the space bar handed the view to the free camera"
[ "$frozen" -lt 100 ] || fail "the immunity ran out before the free camera took over"
# Turning the free camera for forty ticks counts nothing either.
press e; wait_frames 40; release e
[ "$(grep -c '^playerImun ' "$log")" -eq "$frozen" ] || fail "immunity counted on while the free camera had the view"

# Give the ship back and let the immunity run out.
press space; release space
expect_immunity_countdown 5
echo "play_e2e: passed ($hit)"
