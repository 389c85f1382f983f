# Helpers for the end-to-end tests: start the real game in a window on the
# current display, find it, drive it with xdotool and watch its console.
# Every key goes to the game's window by --window, never to whichever window
# has the focus.

# Reads the game's window: tests wait on what the picture shows, not on the
# clock (see picture.py).
PICTURE_SCRIPT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/picture.py"
# The sanitizer suite preloads Mesa's driver for the game; in every picture
# reader it would cost seconds of start-up, and the ship would cross the
# window before a held key was seen to move it.
picture() { env -u LD_PRELOAD python3 "$PICTURE_SCRIPT" "$@"; }

# start_game WORKDIR LOGFILE -- starts build/zarvy in WORKDIR, sets GAME_PID.
start_game() {
    local workdir=$1 log=$2
    GAME_LOG=$log
    (cd "$workdir" && exec "$ZARVY_BIN" >"$log" 2>"$log.err") &
    GAME_PID=$!
}

# wait_for_window -- waits up to 30 s for the window "Zarvy", sets WINDOW.
# A loaded machine can take a few seconds to build the scene.
wait_for_window() {
    WINDOW=""
    for _ in $(seq 1 300); do
        WINDOW=$(xdotool search --name '^Zarvy$' 2>/dev/null | head -n 1)
        [ -n "$WINDOW" ] && return 0
        kill -0 "$GAME_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "FAIL: no window titled Zarvy appeared; the game said:" >&2
    cat "$GAME_LOG" "$GAME_LOG.err" >&2 2>/dev/null
    return 1
}

# wait_for_exit SECONDS -- waits for the game to end, sets EXIT_STATUS.
wait_for_exit() {
    local limit=$1
    for _ in $(seq 1 $((limit * 10))); do
        if ! kill -0 "$GAME_PID" 2>/dev/null; then
            wait "$GAME_PID"
            EXIT_STATUS=$?
            return 0
        fi
        sleep 0.1
    done
    kill -9 "$GAME_PID" 2>/dev/null
    echo "FAIL: the game did not end within $limit s" >&2
    return 1
}

# wait_frames COUNT -- waits until the game's picture has changed COUNT
# times, so at least COUNT ticks ran (at most a minute: a loaded machine may
# run the game at a fraction of its pace, and a window that does not change
# is a fault).
wait_frames() {
    picture frames "$WINDOW" "$1" 60 || fail "the game drew no $1 new pictures"
}

# xdotool's complaint about Xvfb's input focus is noise; errors still fail.
press() { xdotool keydown --window "$WINDOW" "$1" 2>/dev/null; }
release() { xdotool keyup --window "$WINDOW" "$1" 2>/dev/null; }
# Escape, pressed and released at once: the game ends on the press, and a
# release sent later would find its window gone and leave the key held. The
# release may still miss the closing window; that is not a failure.
quit_game() { xdotool key --delay 0 --window "$WINDOW" Escape 2>/dev/null; return 0; }

# fly_until_hit -- boosts and weaves left and right until the console shows
# the first hit (at most 60 weaves of 50 ticks each, however long the game
# takes to run them), sets HIT to its line.
fly_until_hit() {
    local weave key
    HIT=""
    press r
    for weave in $(seq 1 60); do
        key=$([ $((weave % 2)) -eq 0 ] && echo a || echo d)
        press "$key"
        for _ in 1 2 3 4 5 6 7 8 9 10; do
            wait_frames 5
            HIT=$(grep -m1 '^Collision with Asteroid [0-9][0-9]*$' "$GAME_LOG")
            [ -n "$HIT" ] && break
        done
        release "$key"
        [ -n "$HIT" ] && break
    done
    release r
    [ -n "$HIT" ] || fail "no collision in 3000 ticks of flying"
}

# wait_for_line PATTERN -- waits (a minute at most) until the console shows
# a line matching the extended regular expression PATTERN.
wait_for_line() {
    for _ in $(seq 1 600); do
        grep -Eq "$1" "$GAME_LOG" && return 0
        kill -0 "$GAME_PID" 2>/dev/null || fail "the game died before printing a line like $1"
        sleep 0.1
    done
    fail "no line like $1 within a minute; the console said: $(cat "$GAME_LOG")"
}

# expect_immunity_countdown SECONDS -- waits for the immunity to run out,
# ends the game with Escape (status 0 within SECONDS) and checks that the
# first hit was followed by one line each from 99 down to 0, nothing between.
expect_immunity_countdown() {
    local limit=$1 after expected
    wait_for_line '^playerImun 0$'
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game died"
    quit_game
    wait_for_exit "$limit" || fail "Escape did not end the game"
    [ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS"
    after=$(grep -A100 -m1 '^Collision with Asteroid ' "$GAME_LOG" | tail -n +2)
    expected=$(for i in $(seq 99 -1 0); do echo "playerImun $i"; done)
    [ "$after" = "$expected" ] || fail "lines after the hit were:
$after"
}

# quit_and_expect_texture_lines LABEL EXPECTED -- checks the game still runs,
# ends it with Escape (status 0) and compares its "Texture:" lines with
# EXPECTED.
quit_and_expect_texture_lines() {
    local label=$1 expected=$2 actual
    kill -0 "$GAME_PID" 2>/dev/null || fail "$label: the game died"
    quit_game
    wait_for_exit 5 || fail "$label: Escape did not end the game"
    [ "$EXIT_STATUS" -eq 0 ] || fail "$label: exit status $EXIT_STATUS"
    actual=$(grep '^Texture: ' "$GAME_LOG")
    [ "$actual" = "$expected" ] || fail "$label: texture lines were:
$actual
expected:
$expected"
}

fail() {
    echo "FAIL: $*" >&2
    [ -n "${GAME_PID:-}" ] && kill -9 "$GAME_PID" 2>/dev/null
    exit 1
}
