#!/usr/bin/env bash
# Plays the zip as a Windows player gets it: unpacked into a folder whose
# path has a space, zarvy.exe started there under Wine. The zip must hold
# the game, its seven images, README.txt and every licence; the window must
# open, the start-up lines be exactly those of the Linux build with no
# "Texture:" line, a boosted flight must hit a rock followed by exactly one
# hundred immunity lines from 99 down to 0, and Escape must end it with
# status 0. Started from another folder, the game names every image it could
# not load there, in the order it loads them, and goes on.
set -u
build=${1:?usage: zip_e2e.sh WINDOWS_BUILD_DIR}
here=$(dirname "$0")
ZARVY_BIN=""
. "$here/../app/e2e_lib.sh"
. "$here/wine_lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

zip=$(ls "$build"/../zarvy-*-win64.zip 2>/dev/null | head -n 1)
[ -n "$zip" ] || fail "no zarvy-*-win64.zip beside $build"
players="$work/My Games"
mkdir -p "$players"
python3 -m zipfile -e "$zip" "$players" || fail "the zip does not unpack"
folder=$(ls -d "$players"/zarvy-* | head -n 1)
for file in zarvy.exe README.txt LICENSE.txt Textures/asteroid_v8.jpg Textures/front.png Textures/clouds.png \
            Textures/fighter.png Textures/flame.png Textures/flameBottom.png Textures/explosion.png; do
    [ -s "$folder/$file" ] || fail "the zip lacks $file"
done
for licence in freeglut glew libpng libjpeg-turbo zlib; do
    [ -n "$(ls -A "$folder/licenses/$licence" 2>/dev/null)" ] || fail "the zip lacks the licence of $licence"
done

ZARVY_BIN="$work/zarvy"
wine_launcher "$folder/zarvy.exe" "$ZARVY_BIN"
log="$work/log"
started=$(date +%s%N)
start_game "$folder" "$log"
wait_for_window || fail "window"
echo "The window opened $(( ($(date +%s%N) - started) / 1000000 )) ms after the start."

# The game runs once it draws: every start-up line is printed by then.
wait_frames 2
expected_start=$'Check:  vertex buffer objects\nStatus: Using GLEW 2.2.0'
[ "$(head -n 2 "$log")" = "$expected_start" ] || fail "start-up lines were:
$(head -n 5 "$log" | od -c | head -n 20)"
grep -q '^Texture: ' "$log" && fail "an image did not load: $(grep '^Texture: ' "$log")"
grep -q $'\r' "$log" && fail "the console lines end in carriage returns"
[ -s "$log.err" ] && fail "the game wrote to standard error: $(cat "$log.err")"

# Fly into a rock, then let the immunity run out.
fly_until_hit
hit=$HIT
expect_immunity_countdown 10

# From a command prompt in another folder: no Textures there.
elsewhere="$work/Another Folder"
mkdir -p "$elsewhere"
start_game "$elsewhere" "$work/elsewhere.log"
wait_for_window || fail "started from another folder: no window"
wait_frames 2
expected_lines=$(for name in asteroid_v8.jpg fighter.png flame.png flameBottom.png 'explosion.png' front.png \
                                 asteroid_v8.jpg clouds.png; do
    separator=/
    [ "$name" = explosion.png ] && separator='\'
    printf 'Texture: Textures%s%s not loaded.\n' "$separator" "$name"
done)
quit_and_expect_texture_lines "started from another folder" "$expected_lines"
echo "zip_e2e: passed ($hit)"
