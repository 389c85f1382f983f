# Helpers for the end-to-end tests of the Windows build: a launcher that
# runs a Windows program under Wine, usable wherever the Linux tests start
# the Linux game.

# wine_launcher EXE DEST -- writes DEST, a script that runs EXE under Wine
# with its arguments, in the working folder it is started in.
wine_launcher() {
    local exe=$1 dest=$2 runner
    runner="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/wine-run.sh"
    printf '#!/bin/sh\nexec "%s" "%s" "$@"\n' "$runner" "$exe" > "$dest"
    chmod +x "$dest"
}
