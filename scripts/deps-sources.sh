#!/usr/bin/env bash
# Fetches Debian's sources of the third-party libraries that the cross builds
# (Windows, the browser) compile themselves, checks each file against the
# sha256 its .dsc lists, and unpacks each package with Debian's patches
# applied (dpkg-source -x) into SOURCES/NAME, so every target builds the same
# fixed sources. Nothing is built here; each target has its own recipe.
#
#   scripts/deps-sources.sh build-deps
#   scripts/deps-sources.sh --stamp     (what build-deps/versions.txt holds
#                                        when it is up to date; fetches nothing)
#
# The machine's apt sources are only read: a private deb-src list, package
# index and cache are used (SOURCES/apt). A second run with the same package
# list does nothing.
set -Eeuo pipefail
shopt -s inherit_errexit

# Debian source packages, exactly as `apt-get source NAME=VERSION` takes them.
# The security archive is not reachable here, so these are the versions of
# bookworm and bookworm-updates.
packages=(
    zlib=1:1.2.13.dfsg-1
    libpng1.6=1.6.39-2+deb12u5
    libjpeg-turbo=1:2.1.5-2
    freeglut=3.4.0-1
    glew=2.2.0-4
)

if [ $# -ne 1 ]; then
    echo "usage: $0 SOURCES_DIR | --stamp" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/deps-lib.sh"
wanted=$(printf '%s\n' "${packages[@]}"
         echo "recipe=$(sha256sum "$0" "$here/scripts/deps-lib.sh" | cut -d' ' -f1 | tr '\n' ' ' | sed 's/ $//')")
if [ "$1" = --stamp ]; then
    echo "$wanted"
    exit 0
fi
mkdir -p "$1"
top=$(cd "$1" && pwd)

deps_up_to_date "$top" "$wanted" && exit 0
deps_need_tools dpkg-source apt-get sha256sum
deps_log_to deps-sources "$top/sources.log"

aptdir=$top/apt
download=$top/download
rm -f "$top/versions.txt"
for p in "${packages[@]}"; do
    rm -rf "${top:?}/${p%%=*}"
done
rm -rf "$download"
mkdir -p "$aptdir/lists/partial" "$aptdir/cache/archives/partial" "$download"

step="apt-get update (private deb-src list)"
sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$aptdir/debian-src.sources"
grep -q '^Types: deb-src$' "$aptdir/debian-src.sources" || fail "no 'Types: deb' entry in /etc/apt/sources.list.d/debian.sources"
apt_opts=(
    -o "Dir::Etc::SourceList=$aptdir/debian-src.sources"
    -o Dir::Etc::SourceParts=/dev/null
    -o "Dir::State::Lists=$aptdir/lists"
    -o "Dir::Cache=$aptdir/cache"
)
# As root apt hands downloads to the _apt user, which may not enter a build
# folder under a private home: download as the caller instead.
[ "$(id -u)" -eq 0 ] && apt_opts+=(-o APT::Sandbox::User=root)
run apt-get "${apt_opts[@]}" -q update

step="apt-get source"
(cd "$download" && run apt-get "${apt_opts[@]}" -q source --download-only "${packages[@]}")

# Prints the files and sha256 sums listed in a .dsc's Checksums-Sha256 field.
dsc_sha256() {
    awk '/^Checksums-Sha256:/ { on = 1; next }
         on && /^ / { print $1, $3; next }
         { on = 0 }' "$1"
}

# Verifies and unpacks one source package NAME=[EPOCH:]VERSION into
# SOURCES/NAME (file names drop the epoch).
unpack() {
    local name=${1%%=*} version=${1#*=} sum file n=0
    local dsc=$download/${name}_${version#*:}.dsc
    [ -f "$dsc" ] || fail "apt-get source did not fetch $(basename "$dsc")"
    while read -r sum file; do
        n=$((n + 1))
        [ -f "$download/$file" ] || fail "$file, listed in $(basename "$dsc"), was not downloaded"
        [ "$(sha256sum "$download/$file" | cut -d' ' -f1)" = "$sum" ] ||
            fail "$file does not match the sha256 in $(basename "$dsc")"
    done < <(dsc_sha256 "$dsc")
    [ "$n" -gt 0 ] || fail "$(basename "$dsc") lists no Checksums-Sha256"
    run dpkg-source --no-copy -x "$dsc" "$top/$name"
}

for p in "${packages[@]}"; do
    step="unpack ${p%%=*}"
    unpack "$p"
done

deps_done "$top/versions.txt" "$wanted" "Library sources unpacked into $top (log: $log)."
