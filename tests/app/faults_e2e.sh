#!/usr/bin/env bash
# Fault runs of the real game, each in a temporary copy of the working
# folder: every image missing, each broken in turn (truncated, empty, not an
# image, oversized header), and the whole Textures folder missing. Each time
# the window must open, the console must name exactly the images that failed,
# in creation order, the game must keep running, and Escape must end it with
# status 0. Finally the window is resized to 1 by 1 and back.
set -u
build=${1:?usage: faults_e2e.sh BUILD_DIR}
ZARVY_BIN=$(cd "$build" && pwd)/zarvy
. "$(dirname "$0")/e2e_lib.sh"
root=$(pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The names the game loads, in creation order, as it prints them.
creation_order=(
    "Textures/asteroid_v8.jpg" "Textures/fighter.png" "Textures/flame.png"
    "Textures/flameBottom.png" 'Textures\explosion.png' "Textures/front.png"
    "Textures/asteroid_v8.jpg" "Textures/clouds.png"
)
images=(asteroid_v8.jpg fighter.png flame.png flameBottom.png explosion.png front.png clouds.png)

# expected_lines FILE... -- the "not loaded" lines when these files fail.
expected_lines() {
    local name file
    for name in "${creation_order[@]}"; do
        for file in "$@"; do
            if [ "${name//\\//}" = "Textures/$file" ]; then
                printf 'Texture: %s not loaded.\n' "$name"
            fi
        done
    done
}

# A PNG whose header claims 30000 by 30000 pixels; a JPEG claiming 9000 by 9000.
oversized_png() {
    printf '\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x75\x30\x00\x00\x75\x30\x08\x06\x00\x00\x00\x00\x00\x00\x00'
    printf '\x00\x00\x00\x00IEND\xae\x42\x60\x82'
}
oversized_jpg() {
    printf '\xff\xd8\xff\xc0\x00\x11\x08\x23\x28\x23\x28\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01\xff\xd9'
}

break_file() {
    local kind=$1 path=$2
    case "$kind" in
        missing) rm -f "$path" ;;
        truncated) head -c 45 "$path" > "$path.cut" && mv "$path.cut" "$path" ;;
        empty) : > "$path" ;;
        not-an-image) echo "this is not an image" > "$path" ;;
        oversized) case "$path" in *.png) oversized_png > "$path" ;; *) oversized_jpg > "$path" ;; esac ;;
    esac
}

# run_case LABEL EXPECTED -- runs the game in $work/run, checks the lines.
run_case() {
    local label=$1 expected=$2 log="$work/log"
    start_game "$work/run" "$log"
    wait_for_window || fail "$label: no window"
    press d; wait_frames 5; release d
    wait_frames 2
    quit_and_expect_texture_lines "$label" "$expected"
    echo "ok: $label"
}

fresh_copy() {
    rm -rf "$work/run"
    mkdir -p "$work/run"
    cp -r "$root/Textures" "$work/run/"
}

for image in "${images[@]}"; do
    for kind in missing truncated empty not-an-image oversized; do
        fresh_copy
        break_file "$kind" "$work/run/Textures/$image"
        run_case "$image $kind" "$(expected_lines "$image")"
    done
done

fresh_copy
rm -rf "$work/run/Textures"
run_case "no Textures folder" "$(expected_lines "${images[@]}")"

# Resizing to 1 by 1 and back leaves a picture that is not black. The game
# takes the sizes in turn: a picture drawn at 800 by 1 shows it took 1 by 1.
fresh_copy
start_game "$work/run" "$work/log"
wait_for_window || fail "resize: no window"
wait_frames 2
# resize_to WIDTH HEIGHT -- resizes the window and waits until it has that size.
resize_to() {
    xdotool windowsize "$WINDOW" "$1" "$2"
    for _ in $(seq 1 100); do
        [ "$(xdotool getwindowgeometry "$WINDOW" 2>/dev/null | sed -n 's/^ *Geometry: //p')" = "$1x$2" ] && return 0
        sleep 0.05
    done
    fail "resize: the window did not take $1 by $2"
}
resize_to 1 1
resize_to 800 1
wait_frames 3
resize_to 800 600
kill -0 "$GAME_PID" 2>/dev/null || fail "resize: the game died"
# Until the game has drawn at the full size again (a minute at most).
mean=0
for _ in $(seq 1 60); do
    import -window "$WINDOW" "$work/shot.png" 2>/dev/null || fail "resize: no screenshot"
    size=$(identify -format '%wx%h' "$work/shot.png")
    [ "$size" = "800x600" ] || fail "resize: window is $size"
    mean=$(convert "$work/shot.png" -colorspace gray -format '%[fx:mean*255]' info:)
    awk -v m="$mean" 'BEGIN { exit !(m > 3) }' && break
    wait_frames 1
done
awk -v m="$mean" 'BEGIN { exit !(m > 3) }' || fail "resize: picture is black (mean $mean)"
quit_game
wait_for_exit 5 || fail "resize: no exit"
[ "$EXIT_STATUS" -eq 0 ] || fail "resize: exit status $EXIT_STATUS"
echo "faults_e2e: passed"
