#!/usr/bin/env bash
# Starts the real game as a player would: the window, its console lines, a
# few keys of the free camera, and Escape ending it with status 0.
set -u
build=${1:?usage: start_e2e.sh BUILD_DIR}
ZARVY_BIN=$(cd "$build" && pwd)/zarvy
. "$(dirname "$0")/e2e_lib.sh"
log=$(mktemp)
trap 'rm -f "$log" "$log.err"' EXIT

start_game "$(pwd)" "$log"
wait_for_window || fail "window"
info=$(xwininfo -id "$WINDOW")
echo "$info" | grep -q 'Width: 800' || fail "width: $info"
echo "$info" | grep -q 'Height: 600' || fail "height: $info"
echo "$info" | grep -q 'Absolute upper-left X:  0' || fail "x position: $info"
echo "$info" | grep -q 'Absolute upper-left Y:  0' || fail "y position: $info"

# The ship has the keyboard at first; the space bar hands it to the free
# camera, whose keys then move and turn the view.
# Each key is held for five ticks.
for key in space w e t 3; do
    press "$key"; wait_frames 5; release "$key"
done
wait_frames 2
kill -0 "$GAME_PID" 2>/dev/null || fail "the game died while keys were pressed"

quit_game
wait_for_exit 5 || fail "exit"
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS"

# The status line names the GLEW the game runs with: the installed one.
glew=$(pkg-config --modversion glew) || fail "pkg-config cannot tell the installed GLEW's version"
first_two=$(head -n 2 "$log")
expected=$(printf 'Check:  vertex buffer objects\nStatus: Using GLEW %s' "$glew")
[ "$first_two" = "$expected" ] || fail "console lines were: $(cat "$log")"
echo "start_e2e: passed"
