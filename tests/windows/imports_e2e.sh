#!/usr/bin/env bash
# The Windows programs are linked statically: they import only DLLs that
# every 64-bit Windows has, so the zip runs on a machine with nothing else
# installed.
set -u
build=${1:?usage: imports_e2e.sh WINDOWS_BUILD_DIR}
# Names compared in capitals: Windows ignores their case.
allowed=" KERNEL32.DLL USER32.DLL GDI32.DLL OPENGL32.DLL GLU32.DLL WINMM.DLL MSVCRT.DLL ADVAPI32.DLL COMCTL32.DLL "
status=0
for exe in "$build/zarvy.exe" "$build/zarvy-snapshot.exe"; do
    [ -f "$exe" ] || { echo "FAIL: $exe was not built" >&2; exit 1; }
    imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
    [ -n "$imports" ] || { echo "FAIL: no import table read from $exe" >&2; exit 1; }
    for dll in $imports; do
        case "$allowed" in
            *" ${dll^^} "*) ;;
            *) echo "FAIL: $(basename "$exe") imports $dll, which Windows does not have" >&2; status=1 ;;
        esac
    done
    echo "$(basename "$exe") imports: $(echo $imports)"
done
[ "$status" -eq 0 ] && echo "imports_e2e: passed"
exit "$status"
