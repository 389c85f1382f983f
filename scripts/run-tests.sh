#!/usr/bin/env bash
# Runs the whole test suite twice: once on the normal build, once on a build
# with AddressSanitizer and UBSan, where any report fails the run; then
# runs each image fuzzer for a minute (scripts/fuzz.sh), where any finding
# fails the run; then builds the browser game and plays it in headless
# chromium; then builds the Windows game and zip and runs their tests under
# Wine.
#
# The tests always run on a virtual X server of their own with Mesa's
# software renderer, whatever DISPLAY says: every machine then renders the
# same golden pictures, and no test window appears on, or takes the keyboard
# focus of, a developer's desktop. ZARVY_TEST_DISPLAY=1 runs them on the
# current DISPLAY instead, to watch them.
set -u
build=${1:-build}
cd "$(dirname "$0")/.."
export LIBGL_ALWAYS_SOFTWARE=1
if [ "${ZARVY_TEST_DISPLAY:-0}" = 1 ]; then
    xdpyinfo >/dev/null 2>&1 || { echo "ZARVY_TEST_DISPLAY=1 but DISPLAY '${DISPLAY:-}' cannot be opened." >&2; exit 1; }
elif [ "${2:-}" != --on-own-display ]; then
    # -noreset: an X server resets whenever its last client leaves, and
    # refuses connections while it does; the tests come and go by the hundred.
    exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$0" "$build" --on-own-display
fi
root=$(pwd)
# Each stage's heading says when it began, so a slow stage shows in the log.
stage() {
    echo "== $* (at $((SECONDS / 60)) min $((SECONDS % 60)) s)"
}

stage "Test suite"
(cd "$build" && ctest --output-on-failure -j2 --timeout 300) || exit 1

stage "Test suite under AddressSanitizer and UBSan"
asan="$build-sanitize"
cmake -S . -B "$asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARVY_SANITIZE=ON > "$asan.configure.log" 2>&1 \
    || { cat "$asan.configure.log"; exit 1; }
cmake --build "$asan" -j2 > "$asan.build.log" 2>&1 || { tail -n 50 "$asan.build.log"; exit 1; }
# Mesa's driver keeps allocations it never frees; only those are suppressed.
# The driver is unloaded before the leak check runs, which would leave its
# reports without a name to match, so it is preloaded to stay until the end.
driver=$(ls /usr/lib/*/dri/swrast_dri.so 2>/dev/null | head -n 1)
[ -n "$driver" ] && export LD_PRELOAD="$driver"
export LSAN_OPTIONS="suppressions=$root/tests/support/lsan-mesa.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1:verify_asan_link_order=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd "$asan" && ctest --output-on-failure -j2 --timeout 600) || exit 1

stage "Image fuzzers, 60 s each, side by side"
(unset LD_PRELOAD LSAN_OPTIONS ASAN_OPTIONS UBSAN_OPTIONS
 FUZZ_SECONDS=${FUZZ_SECONDS:-60} FUZZ_JOBS=3 FUZZ_QUIET=1 scripts/fuzz.sh) || exit 1

unset LD_PRELOAD LSAN_OPTIONS ASAN_OPTIONS UBSAN_OPTIONS
stage "Browser build and its tests in headless chromium"
scripts/build-web.sh || exit 1
# puppeteer-core at the version of the committed lock file; it downloads no
# browser: the tests drive Debian's chromium.
(cd tests/web && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error) || exit 1
ZARVY_BUILD_DIR="$root/$build" node --test --test-concurrency=1 tests/web/ || exit 1
# The golden scenes drawn by the browser build, compared by the Linux
# build's golden test with its own rule.
ZARVY_SNAPSHOT="node $root/tests/web/snapshot.js" ZARVY_GOLDEN_OUTPUT=tests/output/web \
    "$build/tests/tests_tools" --gtest_filter='GoldenImages.*' || exit 1
bash tests/web/reproducible_web.sh build-web || exit 1

stage "Windows build and its tests under Wine"
ZARVY_LINUX_BUILD_DIR="$root/$build" scripts/build-windows.sh || exit 1
# A test that fails is run once more: Wine on a virtual display now and
# then loses a process at start-up. A fault of the game fails both runs.
(cd build-windows/game && ctest --output-on-failure -j2 --timeout 900 --repeat until-pass:2) || exit 1

echo "Every stage passed in $((SECONDS / 60)) min $((SECONDS % 60)) s."
