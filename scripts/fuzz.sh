#!/usr/bin/env bash
# Builds the image fuzzers (tests/fuzz) with clang and libFuzzer in
# build-fuzz/ and runs each for FUZZ_SECONDS (default 600), FUZZ_JOBS
# (default 1) of them at a time. Fails if any harness finds a crash, a
# hang, a leak, a sanitizer report or a broken invariant; the input that did
# it is kept in build-fuzz/findings/<harness>/, and the message names it.
#
#   scripts/fuzz.sh [harness...]     all harnesses, or those named
#   FUZZ_SECONDS=60 FUZZ_QUIET=1     one summary line per harness
#   FUZZ_JOBS=3                      the three harnesses side by side
#
# What each harness learns is kept in build-fuzz/corpus/<harness>/ and
# carries over to the next run.
set -u
cd "$(dirname "$0")/.."
root=$(pwd)
out=${FUZZ_BUILD:-build-fuzz}
seconds=${FUZZ_SECONDS:-600}
quiet=${FUZZ_QUIET:-0}
jobs=${FUZZ_JOBS:-1}

cmake -S tests/fuzz -B "$out" -DCMAKE_CXX_COMPILER=clang++-14 > "$out.configure.log" 2>&1 \
    || { cat "$out.configure.log"; exit 1; }
cmake --build "$out" -j2 > "$out.build.log" 2>&1 || { tail -n 50 "$out.build.log"; exit 1; }

harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
    for h in fuzz_check fuzz_load fuzz_decoder; do
        [ -x "$out/$h" ] && harnesses+=("$h")
    done
fi

# No GL is involved: nothing of Mesa's is preloaded or suppressed here.
# DevIL is built without frame pointers: only the slow unwinder gives its
# allocations the stacks that the suppressions match by function name.
unset LD_PRELOAD
export ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0:abort_on_error=1:allocator_may_return_null=0"
export LSAN_OPTIONS="suppressions=$root/tests/fuzz/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# fuzz_one HARNESS -- runs one harness and prints its summary; fails on a
# finding.
fuzz_one() {
    local h=$1 corpus findings log status done_line execs cov ft corp
    [ -x "$out/$h" ] || { echo "fuzz: no harness $h in $out" >&2; return 1; }
    corpus="$out/corpus/$h"
    findings="$out/findings/$h"
    log="$out/logs/$h.log"
    mkdir -p "$corpus" "$findings"
    # New inputs go to the first folder; the seeds are only read.
    # -max_len fits the game's largest image; -timeout counts a load of
    # more than 20 s as a hang.
    "$out/$h" "$corpus" "$out/seeds" \
        -dict=tests/fuzz/images.dict \
        -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len="${FUZZ_MAX_LEN:-65536}" \
        -artifact_prefix="$findings/" -print_final_stats=1 > "$log" 2>&1
    status=$?
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1)
    execs=$(echo "$done_line" | sed -E 's/^#([0-9]+).*/\1/')
    cov=$(echo "$done_line" | sed -nE 's/.*cov: ([0-9]+).*/\1/p')
    ft=$(echo "$done_line" | sed -nE 's/.*ft: ([0-9]+).*/\1/p')
    corp=$(echo "$done_line" | sed -nE 's/.*corp: ([0-9]+\/[0-9a-zA-Z]+).*/\1/p')
    if [ $status -ne 0 ] || [ -z "$done_line" ]; then
        echo "fuzz: $h FAILED (exit $status); its input is in $findings/, the log in $log" >&2
        grep -E 'ERROR: |Invariant broken|SUMMARY|Test unit written' "$log" | head -n 10 >&2
        return 1
    fi
    echo "fuzz: $h ${seconds}s: ${execs} executions, cov ${cov}, ft ${ft}, corpus ${corp}"
    [ "$quiet" = 1 ] || tail -n 12 "$log"
}

# FUZZ_JOBS harnesses run at a time, each for the whole FUZZ_SECONDS; what
# each says is printed in the harnesses' order once all are done.
mkdir -p "$out/logs"
failed=0
running=0
for h in "${harnesses[@]}"; do
    fuzz_one "$h" > "$out/logs/$h.summary" 2>&1 &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait -n || failed=1
        running=$((running - 1))
    fi
done
while [ "$running" -gt 0 ]; do
    wait -n || failed=1
    running=$((running - 1))
done
for h in "${harnesses[@]}"; do
    cat "$out/logs/$h.summary"
done
exit $failed
