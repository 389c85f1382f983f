#!/usr/bin/env bash
# Runs a Windows program under Wine, in a Wine prefix of the build's own
# (made on first use), with no dialog that nobody could click on a virtual
# display: Wine would otherwise offer to install .NET and a browser engine.
# ZARVY_WINEPREFIX names the prefix; by default build-windows/wine.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${ZARVY_WINEPREFIX:-$root/build-windows/wine}
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            wineboot -i > /dev/null 2>&1
            wineserver -w
        fi
    ) 9> "$WINEPREFIX.lock"
fi
# Wine's own complaints are not the program's: its launcher warns that
# 32-bit support is missing (the programs are 64-bit), and its X11 driver
# finds Xvfb's focus on the root window without a window manager.
exec wine "$@" 2> >(grep -v -e 'wine32 is missing' -e 'multiarch needs' -e 'dpkg --add-architecture' \
                        -e 'apt-get install wine32' -e 'XGetInputFocus returned the focused window' >&2)
