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
if ! git -C "$ROOT" rev-parse --verify -q HEAD >/dev/null 2>&1; then
    echo "reproducible_e2e: skipped outside a git checkout"
    exit 0
fi
first=$(ls "$build"/../zarvy-*-win64.zip 2>/dev/null | head -n 1)
[ -n "$first" ] || fail "no zarvy-*-win64.zip beside $build"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
unset SOURCE_DATE_EPOCH

second=$stage/elsewhere/zarvy-for-windows-again
second_checkout "$ROOT" "$second"
ZARVY_WINDOWS_DEPS="$build/../deps" ZARVY_WINDOWS_TARGETS=zarvy "$second/scripts/build-windows.sh" \
    >"$stage/build.log" 2>&1 || fail "the second build: $(tail -n 30 "$stage/build.log")"
again=$(ls "$second"/build-windows/zarvy-*-win64.zip 2>/dev/null | head -n 1)
[ -n "$again" ] || fail "the second build made no zip"

# entries ZIP -- each entry's name, time, mode and the sha256 of its bytes.
entries() {
    python3 - "$1" <<'PY'
import hashlib, sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as archive:
    for entry in archive.infolist():
        print(entry.filename, "%04d-%02d-%02d %02d:%02d:%02d" % entry.date_time,
              oct(entry.external_attr >> 16), hashlib.sha256(archive.read(entry)).hexdigest())
PY
}
entries "$first" >"$stage/first.txt" || fail "cannot read $first"
entries "$again" >"$stage/again.txt" || fail "cannot read $again"
if ! cmp -s "$first" "$again"; then
    differences=$(diff "$stage/first.txt" "$stage/again.txt")
    fail "the two zips differ:
${differences:-(in the structure of the zip itself: the entries are alike)}"
fi

# Every entry carries the last commit's time, in the two-second steps of zip.
stamp=$(python3 -c 'import sys, time; t = time.gmtime(int(sys.argv[1]) // 2 * 2); print(time.strftime("%Y-%m-%d %H:%M:%S", t))' \
        "$(git -C "$ROOT" log -1 --format=%ct)")
wrong=$(awk -v stamp="$stamp" '$2 " " $3 != stamp' "$stage/first.txt")
[ -z "$wrong" ] || fail "entries not stamped $stamp:
$wrong"
echo "reproducible_e2e: passed ($(sha256sum "$first" | cut -d' ' -f1))"
