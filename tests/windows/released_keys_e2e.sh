#!/usr/bin/env bash
# The released-keys scenes of the Linux build, played by the Windows build
# under Wine: a key let go under Shift, and one let go in another window,
# must stop the ship before it reaches the wall.
set -u
build=${1:?usage: released_keys_e2e.sh WINDOWS_BUILD_DIR}
here=$(dirname "$0")
. "$here/wine_lib.sh"
launcher=$(mktemp)
trap 'rm -f "$launcher"' EXIT
wine_launcher "$(cd "$build" && pwd)/zarvy.exe" "$launcher"
ZARVY_BIN=$launcher bash "$here/../app/released_keys_e2e.sh" "$build"
