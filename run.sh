#!/usr/bin/env bash
# Installs what is missing, builds a release build into build/ and starts the program.
set -euo pipefail
KORVANEL_ROOT=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=scripts/common.sh
. "$KORVANEL_ROOT/scripts/common.sh"

korvanel_install_packages
# The same configuration as ./test.sh, so switching between the two never rebuilds everything.
korvanel_build "$KORVANEL_ROOT/build" Release korvanel

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "error: no display (DISPLAY is not set); start ./run.sh from a desktop session" >&2
    exit 1
fi
exec "$KORVANEL_ROOT/build/korvanel"
