#!/usr/bin/env bash
# The Debian package is reproducible: the same sources, checked out again in
# a folder of another name and packaged there later, give the same .deb byte
# for byte, and every time stamp in it is the last commit's time.
#
# "The same sources" are what the build under test was built from: the
# checked-out commit plus any change not yet committed (staged, unstaged or
# a new file git does not ignore). The second tree is a clone at that commit,
# so it finds the commit's time itself, with those changes copied over it.
set -u
build=${1:?usage: reproducible_e2e.sh BUILD_DIR}
build=$(cd "$build" && pwd)
ROOT=$(pwd)
. "$ROOT/tests/app/e2e_lib.sh"
. "$(dirname "$0")/packaging_lib.sh"
skip_on_sanitizer_build "$build"
reproducible_start reproducible_e2e
version=$(project_version "$build")

# package BUILD OUT -- runs cpack for BUILD, writing OUT/zarvy_<version>_amd64.deb.
package() {
    (cd "$stage" && cpack --config "$1/CPackConfig.cmake" -B "$2") >"$stage/cpack.log" 2>&1 \
        || fail "cpack for $1: $(cat "$stage/cpack.log")"
    [ -f "$2/zarvy_${version}_amd64.deb" ] || fail "no package from $1: $(ls "$2")"
}
package "$build" "$stage/first"
first=$stage/first/zarvy_${version}_amd64.deb

# The second tree: a longer path of other names than the first.
second=$stage/second-checkout/zarvy-again
second_checkout "$ROOT" "$second"

# Only what the package holds is built: the game and the compressed docs.
# Without the install rule's dependency on every target, cpack builds
# nothing more.
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/CMakeCache.txt")
cmake -S "$second" -B "$second/build" -DCMAKE_BUILD_TYPE="$build_type" \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >"$stage/configure.log" 2>&1 \
    || fail "configure the second tree: $(cat "$stage/configure.log")"
cmake --build "$second/build" -j2 --target zarvy zarvy-docs >"$stage/build.log" 2>&1 \
    || fail "build the second tree: $(tail -n 30 "$stage/build.log")"
package "$second/build" "$stage/second"
again=$stage/second/zarvy_${version}_amd64.deb

# listing DEB KIND -- the full listing of DEB's control or data archive
# (KIND ctrl or fsys): names, modes, owners, sizes and times to the second.
# The archive is read whole first: tar stops at its end marker and dpkg-deb
# would complain of the closed pipe.
listing() {
    dpkg-deb "--$2-tarfile" "$1" >"$stage/archive.tar" || fail "dpkg-deb --$2-tarfile $1"
    TZ=UTC tar --full-time -tvf "$stage/archive.tar" || fail "tar cannot list the $2 archive of $1"
}

# On a difference, says where: the archive members, the listings of the
# control and data archives (names, modes, owners, sizes, times), the files.
explain() {
    local deb name
    for deb in "$first" "$again"; do
        name=$(basename "$(dirname "$deb")")
        mkdir -p "$stage/look/$name"
        ar t "$deb" | while read -r member; do
            echo "$member $(ar p "$deb" "$member" | sha256sum | cut -d' ' -f1)"
        done >"$stage/look/$name/members"
        listing "$deb" ctrl >"$stage/look/$name/control"
        listing "$deb" fsys >"$stage/look/$name/data"
        dpkg-deb -R "$deb" "$stage/look/$name/tree"
        (cd "$stage/look/$name/tree" && find . -type f -print0 | sort -z | xargs -0 sha256sum) >"$stage/look/$name/files"
    done
    for part in members control data files; do
        diff "$stage/look/first/$part" "$stage/look/second/$part" >"$stage/look/$part.diff" \
            || printf '\n%s differ (< from %s, > from %s):\n%s\n' "$part" "$build" "$second/build" "$(cat "$stage/look/$part.diff")"
    done
}
sum_first=$(sha256sum <"$first" | cut -d' ' -f1)
sum_again=$(sha256sum <"$again" | cut -d' ' -f1)
[ "$sum_first" = "$sum_again" ] || fail "the packages of one commit differ: $sum_first from $build, $sum_again from $second/build$(explain)"

# Every time stamp is the commit's: the archive members and every entry of
# the control and data archives.
epoch=$(git -C "$ROOT" log -1 --format=%ct)
member_time=$(LC_ALL=C TZ=UTC date -d "@$epoch" '+%b %e %H:%M %Y')
entry_time=$(TZ=UTC date -d "@$epoch" '+%Y-%m-%d %H:%M:%S')
LC_ALL=C TZ=UTC ar tv "$first" >"$stage/members.list" || fail "ar cannot list $first"
others=$(grep -vF " $member_time " "$stage/members.list")
[ -z "$others" ] || fail "archive members not stamped $member_time: $others"
for kind in ctrl fsys; do
    listing "$first" "$kind" >"$stage/$kind.list"
    others=$(grep -vF " $entry_time " "$stage/$kind.list")
    [ -z "$others" ] || fail "$kind archive entries not stamped $entry_time (the last commit): $others"
done
echo "reproducible_e2e: passed, both packages sha256 $sum_first"
