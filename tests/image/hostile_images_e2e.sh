#!/usr/bin/env bash
# Runs the real game with hostile files in place of its images, each in a
# temporary copy of the working folder: a FIFO, a link to /dev/urandom, a
# sparse 1.5 GB file, and all three at once. Each time the window must
# appear within 5 s of the time the game takes with its own images, measured
# first in the same run (a loaded machine slows both alike; a load that
# blocks or reads the whole file does not keep to it), the console must say
# that exactly those images were not loaded, and Escape must end the game
# at once with status 0, which it can only do once every image has been
# dealt with.
set -u
build=${1:?usage: hostile_images_e2e.sh BUILD_DIR}
ZARVY_BIN=$(cd "$build" && pwd)/zarvy
. "$(dirname "$0")/../app/e2e_lib.sh"
root=$(pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# make_hostile KIND PATH -- puts a hostile file of KIND at PATH.
make_hostile() {
    local kind=$1 path=$2
    rm -f "$path"
    case "$kind" in
        fifo) mkfifo "$path" ;;
        urandom) ln -s /dev/urandom "$path" ;;
        sparse) truncate -s 1500M "$path" ;;
    esac
}

# run_case LABEL EXPECTED KIND:IMAGE... -- runs the game with those files
# replaced and compares its texture lines with EXPECTED; sets WAITED to the
# milliseconds its window took. The window may take at most LIMIT ms.
run_case() {
    local label=$1 expected=$2
    shift 2
    rm -rf "$work/run"
    mkdir -p "$work/run"
    cp -r "$root/Textures" "$work/run/"
    local item
    for item in "$@"; do
        make_hostile "${item%%:*}" "$work/run/Textures/${item#*:}"
    done
    local log="$work/log" began
    began=$(date +%s%N)
    start_game "$work/run" "$log"
    wait_for_window || fail "$label: no window"
    WAITED=$((($(date +%s%N) - began) / 1000000))
    [ "$WAITED" -le "$LIMIT" ] || fail "$label: the window took $WAITED ms (at most $LIMIT)"
    wait_frames 2
    quit_and_expect_texture_lines "$label" "$expected"
    echo "ok: $label (window after $WAITED ms)"
}

# The game with its own images: no texture line, and the time the others
# are held to.
LIMIT=30000
run_case "the game's own images" ""
LIMIT=$((WAITED + 5000))

front='Texture: Textures/front.png not loaded.'
rock='Texture: Textures/asteroid_v8.jpg not loaded.'
clouds='Texture: Textures/clouds.png not loaded.'
# The rock image is loaded twice: for the asteroids and the planet.
run_case "FIFO as the skybox image" "$front" fifo:front.png
run_case "link to /dev/urandom as the rock image" "$rock"$'\n'"$rock" urandom:asteroid_v8.jpg
run_case "sparse 1.5 GB file as the clouds image" "$clouds" sparse:clouds.png
run_case "all three at once" "$rock"$'\n'"$front"$'\n'"$rock"$'\n'"$clouds" \
    fifo:front.png urandom:asteroid_v8.jpg sparse:clouds.png
echo "hostile_images_e2e: passed"
