#!/usr/bin/env bash
# Keys let go must not stay held. The real game, driven as a rough player
# would: hold a, press Shift, let go of a (the release arrives as A), let go
# of Shift; roll with the keypad's minus and point and let go of them under
# Control, Control and Alt, or Shift; hold d, switch to another window, let
# go of d there and come back. Each time the ship must stop sliding
# where it is instead of flying on to the wall, or level out instead of
# rolling on, with no key pressed. The ship is found in the picture by its
# two engine flames (picture.py).
#
# Nothing here waits on the clock: a key is held until the picture shows the
# ship moved, and the ship counts as at rest once it kept still over ten
# changed pictures, that is over at least ten ticks in which a key left held
# would have moved it on. A loaded machine only makes the test slower.
set -u
build=${1:?usage: released_keys_e2e.sh BUILD_DIR}
# ZARVY_BIN may name another launcher of the game, such as the Windows
# build's under Wine.
ZARVY_BIN=${ZARVY_BIN:-$(cd "$build" && pwd)/zarvy}
. "$(dirname "$0")/e2e_lib.sh"
work=$(mktemp -d)
log="$work/log"
other_pid=""
trap '[ -n "$other_pid" ] && kill "$other_pid" 2>/dev/null; rm -rf "$work"' EXIT

# The flames' column when the ship flies level in the middle, and at the
# walls (at 128 and 672 whether or not a key still pushes it there).
LEFT_WALL=127
RIGHT_WALL=672
# The upright measure: about +20 level, about -20 on its side.
LEVEL=10
ROLLED=-10

# hold_until LABEL MEASURE OP VALUE -- waits (a minute at most) until the
# ship's MEASURE (column or upright) is lt or gt VALUE.
hold_until() {
    local label=$1
    shift
    picture until "$WINDOW" "$@" 60 >/dev/null || fail "$label"
}

# ship_at_rest LABEL -- waits (two minutes at most) until the ship keeps
# still; sets COLUMN and UPRIGHT to where it is.
ship_at_rest() {
    local label=$1 rest
    rest=$(picture rest "$WINDOW" 120) || fail "$label"
    read -r COLUMN UPRIGHT shots <<<"$rest"
    echo "ok: $label (flames at column $COLUMN, upright $UPRIGHT; shots: $shots)"
}

# expect_column LABEL LOW HIGH -- the ship came to rest between LOW and HIGH.
expect_column() {
    [ "$COLUMN" -ge "$2" ] && [ "$COLUMN" -le "$3" ] ||
        fail "$1: the ship slid to column $COLUMN (expected $2 to $3)"
}

# expect_level LABEL -- the ship came to rest flying level.
expect_level() {
    [ "$UPRIGHT" -gt "$LEVEL" ] || fail "$1: the ship rolled on (upright $UPRIGHT, level is above $LEVEL)"
}

# to_wall KEY -- slides the ship to the wall KEY drives it to and lets go,
# so that the next slide has the whole width to stop in, however long its
# release takes to arrive.
to_wall() {
    press "$1"
    if [ "$1" = a ]; then
        hold_until "a held: the ship did not reach the left wall" column lt $((LEFT_WALL + 8))
    else
        hold_until "d held: the ship did not reach the right wall" column gt $((RIGHT_WALL - 8))
    fi
    release "$1"
    ship_at_rest "at the wall after $1"
}

start_game "$(pwd)" "$log"
wait_for_window || fail "window"
ship_at_rest "start"
expect_column "start" 360 440
expect_level "start"

# Shift pressed while a is held: the release is reported as A. The ship must
# move left and stop well before the wall; once it moved, the release is
# sent at once, Shift and all, in one go.
to_wall d
start=$COLUMN
press a
hold_until "a held: the ship did not move left" column lt $((start - 10))
xdotool keydown --window "$WINDOW" Shift_L keyup --window "$WINDOW" A keyup --window "$WINDOW" Shift_L 2>/dev/null
ship_at_rest "a released under Shift"
expect_column "a released under Shift" $((LEFT_WALL + 18)) $((start - 10))

# The keypad's minus and point roll the ship; let go under modifiers that
# make no character of them, they must still let go of the roll. Sent while
# the game's window does not have the keyboard (before the scene below gives
# it), the keys are events of their own, whose modifier state is the key's
# alone: the X11 build sees plain releases, while the Windows build under
# Wine keeps the modifiers' state from their presses, as Windows does.
# roll_and_release LABEL KEY MODIFIER...
roll_and_release() {
    local label=$1 key=$2 modifier downs=() ups=()
    shift 2
    for modifier in "$@"; do
        downs+=(keydown --window "$WINDOW" "$modifier")
        ups=(keyup --window "$WINDOW" "$modifier" "${ups[@]}")
    done
    press "$key"
    hold_until "$key held: the ship did not roll" upright lt "$ROLLED"
    xdotool "${downs[@]}" keyup --window "$WINDOW" "$key" "${ups[@]}" 2>/dev/null
    ship_at_rest "$label"
    expect_level "$label"
}
roll_and_release "keypad minus released under Control" KP_Subtract Control_L
roll_and_release "keypad minus released under Control and Alt" KP_Subtract Control_L Alt_L
roll_and_release "keypad point released under Shift" KP_Decimal Shift_L

# Another window takes the keyboard while d is held; the release goes there.
to_wall a
start=$COLUMN
xmessage -name zarvy-other -title zarvy-other -geometry 160x60+850+0 "another window" 2>/dev/null &
other_pid=$!
other=""
for _ in $(seq 1 300); do
    other=$(xdotool search --name '^zarvy-other$' 2>/dev/null | head -n 1)
    [ -n "$other" ] && xwininfo -id "$other" 2>/dev/null | grep -q 'IsViewable' && break
    other=""
    sleep 0.1
done
[ -n "$other" ] || fail "no other window to switch to"
# focus_on WINDOW -- gives WINDOW the keyboard and waits until it has it.
focus_on() {
    xdotool windowfocus "$1" 2>/dev/null
    for _ in $(seq 1 100); do
        [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && return 0
        sleep 0.05
    done
    fail "the keyboard did not go to window $1"
}
focus_on "$WINDOW"
press d
hold_until "d held: the ship did not move right" column gt $((start + 10))
focus_on "$other"
xdotool keyup --window "$other" d 2>/dev/null
# The game never sees that release: it must let go of d itself, and the
# ship stop, before the player comes back.
ship_at_rest "d released in another window"
# Back in the game as a player comes back: a click into its window (Wine
# takes its keyboard back only so when no window manager runs).
focus_on "$WINDOW"
xdotool mousemove --window "$WINDOW" 400 100 click 1 2>/dev/null
ship_at_rest "back in the game"
expect_column "d released in another window" $((start + 10)) $((RIGHT_WALL - 20))

kill -0 "$GAME_PID" 2>/dev/null || fail "the game died"
quit_game
wait_for_exit 10 || fail "exit"
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS"
echo "released_keys_e2e: passed"
