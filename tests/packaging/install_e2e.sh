#!/usr/bin/env bash
# `make install` trees: the system games layout under /usr and a user's
# prefix, installed with DESTDIR, checked file by file, and played from an
# unrelated folder through the installed launcher.
set -u
build=${1:?usage: install_e2e.sh BUILD_DIR}
build=$(cd "$build" && pwd)
ROOT=$(pwd)
. "$ROOT/tests/app/e2e_lib.sh"
. "$(dirname "$0")/packaging_lib.sh"
skip_on_sanitizer_build "$build"
version=$(project_version "$build")
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

DESTDIR=$stage/system cmake --install "$build" --prefix /usr >"$stage/install.log" 2>&1 \
    || fail "install under /usr: $(cat "$stage/install.log")"
check_tree "$stage/system/usr" games

# A user's prefix: the launcher goes where PATH finds it.
DESTDIR=$stage/user cmake --install "$build" --prefix /home/player/.local >"$stage/install.log" 2>&1 \
    || fail "install under a user prefix: $(cat "$stage/install.log")"
check_tree "$stage/user/home/player/.local" bin

# The staged trees are not at their prefix: the launcher finds its data
# relative to itself, also through a symbolic link from elsewhere.
check_launcher_options "$stage/system/usr/games/zarvy" "$version"
play_installed "$stage/system/usr/games/zarvy"
mkdir "$stage/links"
ln -s "$stage/user/home/player/.local/bin/zarvy" "$stage/links/zarvy"
play_installed "$stage/links/zarvy"
echo "install_e2e: passed"
