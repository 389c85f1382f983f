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
if ! git -C "$ROOT" rev-parse --verify -q HEAD >/dev/null 2>&1; then
    echo "reproducible_web: skipped outside a git checkout"
    exit 0
fi
version=$(sed -n 's/^project(Zarvy VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
unset SOURCE_DATE_EPOCH

second=$stage/elsewhere/zarvy-in-the-browser-again
second_checkout "$ROOT" "$second"
ZARVY_WEB_DEPS="$build/deps" ZARVY_WEB_TARGETS=zarvy "$second/scripts/build-web.sh" >"$stage/build.log" 2>&1 ||
    fail "the second build: $(tail -n 30 "$stage/build.log")"

for name in "zarvy-$version-web.zip" "zarvy-$version.html"; do
    [ -f "$build/$name" ] || fail "no $name in $build"
    [ -f "$second/build-web/$name" ] || fail "the second build made no $name"
    cmp -s "$build/$name" "$second/build-web/$name" || {
        cmp "$build/$name" "$second/build-web/$name" | head -n 1 >&2
        python3 - "$build/$name" "$second/build-web/$name" <<'PY' >&2
import hashlib, sys, zipfile
for path in sys.argv[1:]:
    if path.endswith(".zip"):
        with zipfile.ZipFile(path) as archive:
            for entry in archive.infolist():
                print(path, entry.filename, hashlib.sha256(archive.read(entry)).hexdigest())
PY
        fail "the two builds' $name differ"
    }
done

# Every entry carries the last commit's time, in the two-second steps of
# zip, and index.html is at the zip's root.
stamp=$(python3 -c 'import sys, time; t = time.gmtime(int(sys.argv[1]) // 2 * 2); print(time.strftime("%Y-%m-%d %H:%M:%S", t))' \
        "$(git -C "$ROOT" log -1 --format=%ct)")
wrong=$(python3 - "$build/zarvy-$version-web.zip" "$stamp" <<'PY'
import sys, zipfile
names = []
with zipfile.ZipFile(sys.argv[1]) as archive:
    for entry in archive.infolist():
        names.append(entry.filename)
        if "%04d-%02d-%02d %02d:%02d:%02d" % entry.date_time != sys.argv[2]:
            print(entry.filename, entry.date_time)
if "index.html" not in names:
    print("no index.html at the root:", names)
PY
)
[ -z "$wrong" ] || fail "zip entries: $wrong"
echo "reproducible_web: passed ($(sha256sum "$build/zarvy-$version-web.zip" "$build/zarvy-$version.html" | cut -c1-16 | tr '\n' ' '))"
