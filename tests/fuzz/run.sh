#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan, UBSan) into build-fuzz/ and runs each over its
# seed corpus (tests/fuzz/corpus/<target>/) and then on new inputs for the given time, one after
# the other. Prints one line per target: executions, covered edges, slowest input, crashes.
#
#   tests/fuzz/run.sh [SECONDS] [TARGET...]     SECONDS a target (default 20); all targets when
#                                               none is named (fuzz_record_decode, ...)
#
# New inputs go into build-fuzz/fuzz/work/<target>/ (kept between runs), a crash, leak, slow
# input (over 1 s) or sanitizer report into build-fuzz/fuzz/crashes/; exit status 1 when any
# target found one. KORVANEL_FUZZ_BUILD_DIR chooses another build folder; KORVANEL_FUZZ_ARGS adds
# libFuzzer options after the runner's own (they win): -runs=1000000 stops a target once it ran
# a million inputs.
set -euo pipefail
KORVANEL_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=scripts/common.sh
. "$KORVANEL_ROOT/scripts/common.sh"

seconds=${1:-20}
shift || true
BUILD_DIR=${KORVANEL_FUZZ_BUILD_DIR:-$KORVANEL_ROOT/build-fuzz}

korvanel_install_packages "${KORVANEL_FUZZ_PACKAGES[@]}"
# A folder configured with another compiler would be configured again without the options below
# (CMake drops its cache then): start it afresh.
if [ -f "$BUILD_DIR/CMakeCache.txt" ] &&
    ! grep -q '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang++-14$' "$BUILD_DIR/CMakeCache.txt"; then
    rm -rf "$BUILD_DIR/CMakeCache.txt" "$BUILD_DIR/CMakeFiles"
fi
extra=()
[ "${CI:-}" = true ] && extra+=(-DKORVANEL_WERROR=ON)
korvanel_build "$BUILD_DIR" RelWithDebInfo all -DKORVANEL_FUZZ=ON \
    -DCMAKE_CXX_COMPILER=clang++-14 "${extra[@]}" ${KORVANEL_CMAKE_ARGS:-} >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for binary in "$BUILD_DIR"/fuzz/fuzz_*; do
        targets+=("$(basename "$binary")")
    done
fi

# A small quarantine and short allocation stacks: the targets allocate a lot (Qt strings), and
# the defaults cost them three quarters of their speed.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:quarantine_size_mb=16:malloc_context_size=4}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$BUILD_DIR/fuzz/crashes" "$BUILD_DIR/fuzz/logs"
failed=0
printf '%-22s %12s %7s %9s %8s\n' target executions edges slowest crashes
for target in "${targets[@]}"; do
    name=${target#fuzz_}
    seeds="$KORVANEL_ROOT/tests/fuzz/corpus/$name"
    work="$BUILD_DIR/fuzz/work/$name"
    log="$BUILD_DIR/fuzz/logs/$name.log"
    mkdir -p "$work"
    status=0
    # KORVANEL_FUZZ_TIMEOUT: seconds an input may take before it counts as a hang (1 by default;
    # a loaded CI machine stretches a target's first input, Qt's start included, past that, and
    # the slowest input is printed either way).
    # shellcheck disable=SC2086 # KORVANEL_FUZZ_ARGS: options split on blanks
    "$BUILD_DIR/fuzz/$target" -max_total_time="$seconds" -timeout="${KORVANEL_FUZZ_TIMEOUT:-1}" \
        -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$BUILD_DIR/fuzz/crashes/$name-" \
        ${KORVANEL_FUZZ_ARGS:-} "$work" "$seeds" >"$log" 2>&1 || status=$?
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    slowest=$(sed -n 's/^stat::slowest_unit_time_sec: *//p' "$log" | tail -1)
    edges=$(grep -o ' cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*' || true)
    crashes=0
    if [ "$status" -ne 0 ]; then
        crashes=1
        failed=1
    fi
    printf '%-22s %12s %7s %8ss %8s\n' "$name" "${executions:-?}" "${edges:-?}" "${slowest:-?}" \
        "$crashes"
    if [ "$status" -ne 0 ]; then
        echo "  $target stopped with status $status; its log: $log" >&2
        grep -E 'ERROR|fuzz check failed|Test unit written' "$log" | head -5 >&2 || true
    fi
done
exit "$failed"
