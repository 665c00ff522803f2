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
    "$bench"
done
for script in "$KORVANEL_ROOT"/bench/bench_*.sh; do
    [ -f "$script" ] || continue
    echo "== $(basename "$script")"
    bash "$script" "$KORVANEL_ROOT/build-bench"
done
