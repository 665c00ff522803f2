#!/usr/bin/env bash
# Installs what is missing, builds the program and its tests into build/ and runs the whole suite.
# Extra arguments go to ctest, e.g. ./test.sh -R storage
set -euo pipefail
KORVANEL_ROOT=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=scripts/common.sh
. "$KORVANEL_ROOT/scripts/common.sh"

BUILD_DIR=${KORVANEL_BUILD_DIR:-$KORVANEL_ROOT/build}
korvanel_install_packages
extra=()
[ "${CI:-}" = true ] && extra+=(-DKORVANEL_WERROR=ON)
korvanel_build "$BUILD_DIR" "${KORVANEL_BUILD_TYPE:-Release}" all -DKORVANEL_TESTS=ON "${extra[@]}" \
    ${KORVANEL_CMAKE_ARGS:-}
cd "$BUILD_DIR"
ctest --output-on-failure "$@"
