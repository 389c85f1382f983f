#!/usr/bin/env bash
# The desktop icons: the icon tool renders the committed pictures again, and
# each is a square of its size with a transparent background and the fighter
# centred and filling it.
set -u
build=${1:?usage: icons_e2e.sh BUILD_DIR}
build=$(cd "$build" && pwd)
ROOT=$(pwd)
. "$ROOT/tests/app/e2e_lib.sh"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

"$build/zarvy-icongen" "$out" >"$out/log" 2>&1 || fail "zarvy-icongen: $(cat "$out/log")"
for side in 48 64 128 256; do
    committed=$ROOT/packaging/icons/zarvy-$side.png
    fresh=$out/zarvy-$side.png
    read -r width height channels <<<"$(identify -format '%w %h %[channels]' "$committed")"
    [ "$width x $height" = "$side x $side" ] || fail "zarvy-$side.png is $width x $height"
    [ "$channels" = srgba ] || fail "zarvy-$side.png has channels $channels, not RGBA"

    # The coverage and the box around the opaque part: a blank, a filled or
    # an off-centre picture fails.
    read -r corners covered box <<<"$(convert "$committed" -alpha extract -threshold 50% \
        -format '%[fx:p{0,0}+p{w-1,0}+p{0,h-1}+p{w-1,h-1}] %[fx:mean] %@' info:)"
    [ "$corners" = 0 ] || fail "zarvy-$side.png has opaque corners"
    awk -v c="$covered" 'BEGIN { exit !(c > 0.15 && c < 0.6) }' \
        || fail "zarvy-$side.png covers $covered of its square"
    read -r w h x y <<<"$(echo "$box" | tr 'x+' '  ')"
    larger=$((w > h ? w : h))
    [ $((larger * 100)) -ge $((side * 85)) ] || fail "zarvy-$side.png: the fighter spans only $box"
    slack=$((side / 32 + 1))
    for offset in $((x + x + w - side)) $((y + y + h - side)); do
        [ ${offset#-} -le $((2 * slack)) ] || fail "zarvy-$side.png: the fighter is off centre ($box)"
    done

    # Drivers may round a few pixels differently, nothing more.
    differing=$(compare -metric AE -fuzz 3% "$committed" "$fresh" null: 2>&1)
    [ "$differing" -le $((side * side / 200)) ] 2>/dev/null \
        || fail "zarvy-$side.png does not reproduce: $differing pixels differ"
done
echo "icons_e2e: passed"
