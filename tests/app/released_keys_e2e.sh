#!/usr/bin/env bash
# Keys let go must not stay held. The real game, driven as a rough player
# would: hold a, press Shift, let go of a (the release arrives as A), let go
# of Shift; then hold d, switch to another window, let go of d there and come
# back. Each time the ship must stop sliding where it is instead of flying on
# to the wall with no key pressed. The ship is found in the picture by its two
# engine flames, pale yellow in the band of rows it flies in.
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

# flame_column -- the mean column of the flames' pixels in one screenshot, or
# nothing when something hides them.
flame_column() {
    # Test programs running beside this one open windows over the game's.
    xdotool windowraise "$WINDOW" 2>/dev/null
    sleep 0.05
    import -window "$WINDOW" -crop 800x60+0+410 "$work/shot.ppm" 2>/dev/null || return 0
    convert "$work/shot.ppm" -depth 8 txt:- |
        awk -F'[,:() ]+' 'NR > 1 && $3 >= 240 && $4 >= 170 && $5 >= 90 && $5 <= 240 { n++; sum += $1 }
                          END { if (n >= 5) printf "%d\n", sum / n }'
}

# ship_at_rest LABEL LOW HIGH -- over two seconds of shots, the flames stay
# put between columns LOW and HIGH (the walls are at 128 and 672); sets
# COLUMN to where they are. A hit's short explosion, a rock or another
# window in front spoils a shot now and then: most shots must agree with
# their median.
ship_at_rest() {
    local label=$1 low=$2 high=$3 columns=() column
    for _ in $(seq 1 30); do
        column=$(flame_column)
        [ -n "$column" ] && columns+=("$column")
        [ ${#columns[@]} -ge 10 ] && break
        sleep 0.2
    done
    [ ${#columns[@]} -ge 6 ] || fail "$label: the ship's flames were rarely in sight (${columns[*]:-none})"
    local median
    median=$(printf '%s\n' "${columns[@]}" | sort -n | sed -n "$((${#columns[@]} / 2 + 1))p")
    [ "$median" -ge "$low" ] && [ "$median" -le "$high" ] ||
        fail "$label: the ship slid to column $median (expected $low to $high; shots: ${columns[*]})"
    local agreeing=0 offset
    for column in "${columns[@]}"; do
        offset=$((column - median))
        [ "${offset#-}" -le 4 ] && agreeing=$((agreeing + 1))
    done
    [ "$agreeing" -ge 6 ] || fail "$label: the ship kept sliding (shots: ${columns[*]})"
    COLUMN=$median
    echo "ok: $label (flames at column $median; shots: ${columns[*]})"
}

start_game "$(pwd)" "$log"
wait_for_window || fail "window"
sleep 1
ship_at_rest "start" 360 440

# Shift pressed while a is held: the release is reported as A. The ship must
# move left a little and stop well before the wall.
press a; sleep 0.2
press Shift_L
release A
release Shift_L
sleep 1.5
ship_at_rest "a released under Shift" 145 $((COLUMN - 10))

# Another window takes the keyboard while d is held; the release goes there.
xmessage -name zarvy-other -title zarvy-other -geometry 160x60+850+0 "another window" 2>/dev/null &
other_pid=$!
other=""
for _ in $(seq 1 50); do
    other=$(xdotool search --name '^zarvy-other$' 2>/dev/null | head -n 1)
    [ -n "$other" ] && break
    sleep 0.1
done
[ -n "$other" ] || fail "no other window to switch to"
sleep 0.3
xdotool windowfocus "$WINDOW" 2>/dev/null
sleep 0.2
press d; sleep 0.2
xdotool windowfocus "$other" 2>/dev/null
sleep 0.1
xdotool keyup --window "$other" d 2>/dev/null
sleep 0.1
# Back in the game as a player comes back: a click into its window (Wine
# takes its keyboard back only so when no window manager runs).
xdotool windowfocus "$WINDOW" 2>/dev/null
xdotool mousemove --window "$WINDOW" 400 100 click 1 2>/dev/null
sleep 1.5
ship_at_rest "d released in another window" $((COLUMN + 10)) 650

kill -0 "$GAME_PID" 2>/dev/null || fail "the game died"
quit_game
wait_for_exit 5 || fail "exit"
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS"
echo "released_keys_e2e: passed"
