#!/usr/bin/env bash
# Builds a release build into build-bench/ and runs every benchmark; each prints its figures as
# ratios against a baseline measured in the same run.
set -euo pipefail
KORVANEL_ROOT=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=scripts/common.sh
. "$KORVANEL_ROOT/scripts/common.sh"

korvanel_install_packages
korvanel_build "$KORVANEL_ROOT/build-bench" Release all -DKORVANEL_TESTS=ON
export QT_QPA_PLATFORM=offscreen
for bench in "$KORVANEL_ROOT"/build-bench/bench/bench_*; do
    [ -f "$bench" ] && [ -x "$bench" ] || continue
    echo "== $(basename "$bench")"
    if [ "$(basename "$bench")" = bench_gaps ] && [ -z "${KORVANEL_BENCH_SCALE:-}" ]; then
        # The full sizes (25,000 records, 5,000 submission files, a 500 MB file, a slow share)
        # take about half an hour on 2 busy cores: the default run makes a fifth of them.
        echo "bench_gaps at a fifth of the sizes (KORVANEL_BENCH_SCALE=0.2);" \
            "KORVANEL_BENCH_SCALE=1 ./bench.sh for the full ones"
        KORVANEL_BENCH_SCALE=0.2 "$bench"
        continue
    fi
    "$bench"
done
for script in "$KORVANEL_ROOT"/bench/bench_*.sh; do
    [ -f "$script" ] || continue
    echo "== $(basename "$script")"
    bash "$script" "$KORVANEL_ROOT/build-bench"
done
