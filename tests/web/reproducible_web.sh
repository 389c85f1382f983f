#!/usr/bin/env bash
# The browser build's zip and single file are reproducible: the same
# sources, checked out again in a folder of another name and built there
# later, give the same two files byte for byte, and every entry of the zip
# carries the last commit's time. The second build reuses the libraries
# built with emcc (their own build is reproducible) and builds only the game.
set -u
build=${1:?usage: reproducible_web.sh WEB_BUILD_DIR}
build=$(cd "$build" && pwd)
ROOT=$(pwd)
. "$ROOT/tests/app/e2e_lib.sh"
. "$ROOT/tests/packaging/packaging_lib.sh"
reproducible_start reproducible_web
version=$(sed -n 's/^project(Zarvy VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
zip=zarvy-$version-web.zip
page=zarvy-$version.html

second=$stage/elsewhere/zarvy-in-the-browser-again
second_checkout "$ROOT" "$second"
ZARVY_WEB_DEPS="$build/deps" ZARVY_WEB_TARGETS=zarvy "$second/scripts/build-web.sh" >"$stage/build.log" 2>&1 ||
    fail "the second build: $(tail -n 30 "$stage/build.log")"

for name in "$zip" "$page"; do
    [ -f "$build/$name" ] || fail "no $name in $build"
    [ -f "$second/build-web/$name" ] || fail "the second build made no $name"
done
same_zips "$build/$zip" "$second/build-web/$zip"
cmp -s "$build/$page" "$second/build-web/$page" ||
    fail "the two builds' $page differ: $(cmp "$build/$page" "$second/build-web/$page" | head -n 1)"

# Every entry carries the last commit's time, and index.html is at the
# zip's root.
wrong=$(zip_entries_not_stamped "$stage/first.txt")
[ -z "$wrong" ] || fail "entries not stamped with the last commit's time:
$wrong"
grep -q '^index\.html ' "$stage/first.txt" || fail "no index.html at the zip's root: $(cut -d' ' -f1 "$stage/first.txt")"
echo "reproducible_web: passed ($(sha256sum "$build/$zip" "$build/$page" | cut -c1-16 | tr '\n' ' '))"
