#!/usr/bin/env bash
# The Windows zip is reproducible: the same sources, checked out again in a
# folder of another name and built there later, give the same zip byte for
# byte, and every entry in it carries the last commit's time. The second
# build reuses the cross-built libraries (their own builds are reproducible)
# and builds only the game.
set -u
build=${1:?usage: reproducible_e2e.sh WINDOWS_BUILD_DIR}
build=$(cd "$build" && pwd)
ROOT=$(pwd)
. "$ROOT/tests/app/e2e_lib.sh"
. "$ROOT/tests/packaging/packaging_lib.sh"
reproducible_start reproducible_e2e
first=$(ls "$build"/../zarvy-*-win64.zip 2>/dev/null | head -n 1)
[ -n "$first" ] || fail "no zarvy-*-win64.zip beside $build"

second=$stage/elsewhere/zarvy-for-windows-again
second_checkout "$ROOT" "$second"
ZARVY_WINDOWS_DEPS="$build/../deps" ZARVY_WINDOWS_TARGETS=zarvy "$second/scripts/build-windows.sh" \
    >"$stage/build.log" 2>&1 || fail "the second build: $(tail -n 30 "$stage/build.log")"
again=$(ls "$second"/build-windows/zarvy-*-win64.zip 2>/dev/null | head -n 1)
[ -n "$again" ] || fail "the second build made no zip"

same_zips "$first" "$again"

# Every entry carries the last commit's time.
wrong=$(zip_entries_not_stamped "$stage/first.txt")
[ -z "$wrong" ] || fail "entries not stamped with the last commit's time:
$wrong"
echo "reproducible_e2e: passed ($(sha256sum "$first" | cut -d' ' -f1))"
