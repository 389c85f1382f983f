#!/usr/bin/env bash
# Every source file includes from its own room and the rooms below it:
# math and image at the bottom, then render, scene, game and app. Two
# headers from above are allowed where the game needs them: the held-key
# table (app/Input.h) for the free camera and the fighter, and the random
# sequence (game/GameRandom.h) for the rock mesh. Prints every include that
# breaks the rule and fails if there is one.
set -u
cd "$(dirname "$0")/.."

declare -A below=(
    [math]="math"
    [image]="image"
    [render]="render math image"
    [scene]="scene render math image"
    [game]="game scene render math image"
    [app]="app game scene render math image"
)
declare -A exceptions=(
    [render/Camera.cpp]="app/Input.h"
    [game/Player.cpp]="app/Input.h"
    [scene/Stone.cpp]="game/GameRandom.h"
)

broken=0
checked=0
for room in "${!below[@]}"; do
    while IFS= read -r file; do
        checked=$((checked + 1))
        while IFS= read -r included; do
            target_room=${included%%/*}
            # Includes that name no room (system headers, IL/il.h) are not ours.
            [ -n "${below[$target_room]+set}" ] || continue
            case " ${below[$room]} " in *" $target_room "*) continue ;; esac
            [ "${exceptions[$file]:-}" = "$included" ] && continue
            echo "$file includes $included, from a room above $room/"
            broken=1
        done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
    done < <(find "$room" -name '*.cpp' -o -name '*.h' | sort)
done

[ "$checked" -gt 0 ] || { echo "no source file found"; exit 1; }
[ "$broken" -eq 0 ] && echo "rooms: $checked files include only from their room and below"
exit "$broken"
