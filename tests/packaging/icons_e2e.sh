#!/usr/bin/env bash
# The desktop and web app icons: the icon tool renders the committed
# pictures again, and each is a square of its size with a transparent
# background and the fighter centred and filling it; the maskable web icon
# is opaque, with the fighter inside the circle a phone's mask leaves whole.
set -u
build=${1:?usage: icons_e2e.sh BUILD_DIR}
build=$(cd "$build" && pwd)
ROOT=$(pwd)
. "$ROOT/tests/app/e2e_lib.sh"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mkdir "$out/web"

"$build/zarvy-icongen" "$out" "$out/web" >"$out/log" 2>&1 || fail "zarvy-icongen: $(cat "$out/log")"

# Drivers may round a few pixels differently, nothing more.
reproduces() {
    local committed=$1 fresh=$2 side=$3 differing
    differing=$(compare -metric AE -fuzz 3% "$committed" "$fresh" null: 2>&1)
    [ "$differing" -le $((side * side / 200)) ] 2>/dev/null \
        || fail "$(basename "$committed") does not reproduce: $differing pixels differ"
}

for icon in 48 64 128 256 web/192 web/512; do
    side=${icon#web/}
    if [ "$icon" = "$side" ]; then
        committed=$ROOT/packaging/icons/zarvy-$side.png
        fresh=$out/zarvy-$side.png
    else
        committed=$ROOT/packaging/web/icons/zarvy-$side.png
        fresh=$out/web/zarvy-$side.png
    fi
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

    reproduces "$committed" "$fresh" "$side"
done

# The maskable icon: opaque to its corners, and everything that is not its
# background within 40% of the side from the centre.
committed=$ROOT/packaging/web/icons/zarvy-maskable-512.png
read -r width height opaque <<<"$(identify -format '%w %h %[fx:minima.a]' "$committed")"
[ "$width x $height" = "512 x 512" ] || fail "zarvy-maskable-512.png is $width x $height"
[ "$opaque" = 1 ] || fail "zarvy-maskable-512.png is not opaque (least alpha $opaque)"
box=$(convert "$committed" -alpha off -fill black -fuzz 2% -opaque '#0b0d12' -fill white +opaque black \
    -threshold 50% -format '%@' info:)
read -r w h x y <<<"$(echo "$box" | tr 'x+' '  ')"
[ "$w" -ge 200 ] || fail "zarvy-maskable-512.png: the fighter spans only $box"
for cx in "$x" $((x + w)); do
    for cy in "$y" $((y + h)); do
        awk -v dx=$((cx - 256)) -v dy=$((cy - 256)) 'BEGIN { exit !(dx * dx + dy * dy <= 204.8 * 204.8) }' \
            || fail "zarvy-maskable-512.png: the fighter ($box) reaches past the safe circle"
    done
done
reproduces "$committed" "$out/web/zarvy-maskable-512.png" 512
echo "icons_e2e: passed"
