#!/usr/bin/env bash
# The Debian package: built by CPack, its control fields, lintian without
# an error or warning, the menu entry, AppStream metadata and manual page
# through their validators, and the unpacked game played from elsewhere.
set -u
build=${1:?usage: package_e2e.sh BUILD_DIR}
build=$(cd "$build" && pwd)
ROOT=$(pwd)
. "$ROOT/tests/app/e2e_lib.sh"
. "$(dirname "$0")/packaging_lib.sh"
skip_on_sanitizer_build "$build"
version=$(project_version "$build")
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# Written beside the build, not into it, so a test run leaves build/ alone.
(cd "$stage" && cpack --config "$build/CPackConfig.cmake" -B "$stage/out") >"$stage/cpack.log" 2>&1 \
    || fail "cpack: $(cat "$stage/cpack.log")"
deb=$stage/out/zarvy_${version}_amd64.deb
[ -f "$deb" ] || fail "no $deb: $(ls "$stage/out")"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = zarvy ] || fail "package name $(field Package)"
[ "$(field Version)" = "$version" ] || fail "version $(field Version), project $version"
[ "$(field Section)" = games ] || fail "section $(field Section)"
[ "$(field Architecture)" = amd64 ] || fail "architecture $(field Architecture)"
# The dependencies come from the binary's libraries: each library it links
# is there, and nothing that only builds it.
depends=$(field Depends)
for library in libc6 libstdc++6 libgl1 libglew2.2 libglut3.12 libdevil1c2 libglu1-mesa; do
    echo "$depends" | grep -q "\b$library\b" || fail "Depends lacks $library: $depends"
done
if echo "$depends" | grep -q -- '-dev\b'; then
    fail "Depends names a development package: $depends"
fi
[ "$(field Description | wc -l)" -gt 3 ] || fail "no long description: $(field Description)"

# Every file and folder belongs to root.
owners=$(dpkg-deb --fsys-tarfile "$deb" | tar -tvf - | awk '$2 != "root/root"')
[ -z "$owners" ] || fail "files not owned by root: $owners"

root=$stage/root
dpkg -x "$deb" "$root"
check_tree "$root/usr" games
case $(file -b "$root/usr/lib/games/zarvy/zarvy") in
    *", stripped"*) ;;
    *) fail "the packaged binary keeps its symbols" ;;
esac
if strings "$root/usr/lib/games/zarvy/zarvy" | grep -qF "$ROOT"; then
    fail "the packaged binary names the build folder $ROOT"
fi
# Hardened as Debian builds its binaries: relocations read-only and bound
# at start, the stack protector and the checked printf family in use.
game=$root/usr/lib/games/zarvy/zarvy
readelf -d "$game" | grep -q 'FLAGS.*NOW' || fail "the binary binds its symbols lazily"
readelf -lW "$game" | grep -q 'GNU_RELRO' || fail "the binary has no read-only relocations"
for symbol in __stack_chk_fail __printf_chk; do
    readelf --dyn-syms -W "$game" | grep -q " $symbol@" || fail "the binary does not use $symbol"
done
check_launcher_options "$root/usr/games/zarvy" "$version"
play_installed "$root/usr/games/zarvy"

# The validators: any finding fails. lintian says as root that it should
# not run as root; that line is not a finding.
lintian --fail-on none "$deb" >"$stage/lintian.log" 2>&1 || fail "lintian did not run: $(cat "$stage/lintian.log")"
findings=$(grep -E '^[EW]: ' "$stage/lintian.log")
[ -z "$findings" ] || fail "lintian: $findings"
desktop-file-validate "$root/usr/share/applications/zarvy.desktop" >"$stage/desktop.log" 2>&1
[ $? -eq 0 ] && [ ! -s "$stage/desktop.log" ] || fail "desktop-file-validate: $(cat "$stage/desktop.log")"
metainfo=$root/usr/share/metainfo/org.zarvy.zarvy.metainfo.xml
appstreamcli validate --no-net --pedantic "$metainfo" >"$stage/appstream.log" 2>&1 \
    || fail "appstreamcli: $(cat "$stage/appstream.log")"
if grep -qE '^[EWIP]: ' "$stage/appstream.log"; then
    fail "appstreamcli: $(cat "$stage/appstream.log")"
fi
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo lacks release $version"

# The manual page: no warning from groff or man, the version in its title.
page=$stage/zarvy.6
gzip -dc "$root/usr/share/man/man6/zarvy.6.gz" >"$page"
warnings=$( { groff -ww -z -man -t "$page"; LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" >/dev/null; } 2>&1)
[ -z "$warnings" ] || fail "manual page: $warnings"
head -n 2 "$page" | grep -q "\"Zarvy $version\"" || fail "manual page does not name version $version"
rendered=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null)
for heading in SYNOPSIS DESCRIPTION CONTROLS FILES DIAGNOSTICS "EXIT STATUS"; do
    echo "$rendered" | grep -q "^$heading" || fail "manual page lacks $heading"
done
echo "package_e2e: passed"
