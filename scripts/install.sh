#!/usr/bin/env bash
# Installs Korvanel for one office user as a folder the user owns, and adds it to the user's
# desktop menu.
#
#   scripts/install.sh [PREFIX]        (default PREFIX: $HOME/Korvanel)
#
# PREFIX receives the program (PREFIX/korvanel) and its icon; the program makes PREFIX/AppData
# and PREFIX/Submit at its first start and keeps all its files there. Installing again over an
# existing installation replaces the program only: AppData and Submit are left as they are.
# The desktop entry goes to ${XDG_DATA_HOME:-$HOME/.local/share}/applications/korvanel.desktop.
#
# The program uses Debian's Qt 6 libraries, which must stay installed (libqt6widgets6 and
# libqt6printsupport6, which bring the rest). A release build is made in build-release/ when
# needed; KORVANEL_EXE may name an already built program to install instead.
set -euo pipefail
# Replacement texts below are literal: a "&" in a folder name must not stand for the match.
shopt -u patsub_replacement 2>/dev/null || true
KORVANEL_ROOT=$(cd "$(dirname "$0")/.." && pwd)

PREFIX=${1:-$HOME/Korvanel}
case $PREFIX in
/*) ;;
*) PREFIX=$PWD/$PREFIX ;;
esac
APPLICATIONS=${XDG_DATA_HOME:-$HOME/.local/share}/applications

fail() {
    echo "install: $*" >&2
    exit 1
}

build_release() {
    # shellcheck source=common.sh
    . "$KORVANEL_ROOT/scripts/common.sh"
    # Only what a build needs; the test tools of common.sh are not wanted on an office machine.
    KORVANEL_PACKAGES=(cmake g++ make qt6-base-dev)
    korvanel_install_packages >&2
    korvanel_build "$KORVANEL_ROOT/build-release" Release korvanel -DKORVANEL_TESTS=OFF >&2
    echo "$KORVANEL_ROOT/build-release/korvanel"
}

# A desktop entry's Exec value for a program path: quoted, with the characters that stay special
# inside the quotes escaped, and a percent sign doubled (it starts a field code).
desktop_exec() {
    local path=$1
    path=${path//\\/\\\\}
    path=${path//\"/\\\"}
    path=${path//\`/\\\`}
    path=${path//\$/\\\$}
    path=${path//%/%%}
    # The entry file itself escapes a backslash once more.
    path=${path//\\/\\\\}
    printf '"%s"' "$path"
}

# A plain string value of a desktop entry (Icon, Path): only the backslash is escaped.
desktop_string() {
    printf '%s' "${1//\\/\\\\}"
}

exe=${KORVANEL_EXE:-}
[ -n "$exe" ] || exe=$(build_release)
[ -x "$exe" ] || fail "no program at $exe"

# Every library the program needs must be found now, so that a missing Qt package is reported
# here and not as a program that never starts from the menu.
if missing=$(ldd "$exe" | grep 'not found'); then
    fail "libraries missing (install libqt6widgets6 and libqt6printsupport6):
$missing"
fi

# The folder holds patients' records: owner-only, as the program keeps its own files.
mkdir -p "$PREFIX"
chmod 700 "$PREFIX"
# Replaced by a new file rather than rewritten in place, so a copy still running is unharmed.
install -m 700 "$exe" "$PREFIX/korvanel.new"
mv -f "$PREFIX/korvanel.new" "$PREFIX/korvanel"
install -m 600 "$KORVANEL_ROOT/window/main/icons/korvanel32.png" "$PREFIX/korvanel.png"

mkdir -p "$APPLICATIONS"
entry=$APPLICATIONS/korvanel.desktop
exec_value=$(desktop_exec "$PREFIX/korvanel")
path_value=$(desktop_string "$PREFIX")
icon_value=$(desktop_string "$PREFIX/korvanel.png")
# Replaced literally (no sed), so no character of the path can change the result.
template=$(<"$KORVANEL_ROOT/scripts/korvanel.desktop.in")
template=${template//@EXEC@/$exec_value}
template=${template//@PATH@/$path_value}
template=${template//@ICON@/$icon_value}
printf '%s\n' "$template" >"$entry.new"
chmod 644 "$entry.new"
mv -f "$entry.new" "$entry"
if command -v update-desktop-database >/dev/null; then
    update-desktop-database "$APPLICATIONS" 2>/dev/null || true
fi

echo "Korvanel installed in $PREFIX"
echo "Desktop menu entry: $entry"
echo "The program keeps its records in $PREFIX/AppData and its submission files in $PREFIX/Submit."
