# Installs the program into a temporary home whose path holds a blank, checks the installed
# files and their permissions, starts the program through the desktop entry's Exec command under
# Xvfb and closes it; then installs again and checks that the office's files are kept.
KORVANEL_SOURCE_DIR=${KORVANEL_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
. "$KORVANEL_SOURCE_DIR/tests/e2e/lib.sh"
e2e_begin install "$@"

office_home="$WORK/office user"
mkdir -p "$office_home"
install_into_home() {
    HOME=$office_home XDG_DATA_HOME='' KORVANEL_EXE=$EXE \
        bash "$KORVANEL_SOURCE_DIR/scripts/install.sh" "$@" >"$WORK/install.log" 2>&1 ||
        { cat "$WORK/install.log"; fail "the installation failed"; }
}
prefix=$office_home/Korvanel
entry=$office_home/.local/share/applications/korvanel.desktop

step "install into the default folder of the home"
install_into_home
[ -x "$prefix/korvanel" ] || fail "no program in $prefix"
cmp -s "$prefix/korvanel" "$EXE" || fail "the installed program differs from the built one"
cmp -s "$prefix/korvanel.png" "$KORVANEL_SOURCE_DIR/window/main/icons/korvanel32.png" ||
    fail "the icon was not installed"
[ "$(stat -c %a "$prefix")" = 700 ] || fail "$prefix is not owner-only"
[ "$(stat -c %a "$prefix/korvanel")" = 700 ] || fail "the program's mode is $(stat -c %a "$prefix/korvanel")"
[ "$(stat -c %U "$prefix/korvanel")" = "$(id -un)" ] || fail "the program is not the user's"
[ -f "$entry" ] || fail "no desktop entry at $entry"
grep -qx 'Type=Application' "$entry" || fail "the desktop entry is not an application"
grep -qxF "Icon=$prefix/korvanel.png" "$entry" || fail "the entry's icon: $(grep ^Icon= "$entry")"
grep -qxF "Exec=\"$prefix/korvanel\"" "$entry" || fail "the entry's command: $(grep ^Exec= "$entry")"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "the desktop entry is not valid"
fi
[ ! -e "$prefix/AppData" ] || fail "AppData exists before the first start"

step "start the program through the desktop entry's Exec command"
exec_value=$(sed -n 's/^Exec=//p' "$entry")
path_value=$(sed -n 's/^Path=//p' "$entry")
# The entry's own escape of a backslash, then its field codes, then its quoting as the shell's.
exec_value=${exec_value//\\\\/\\}
exec_value=$(sed -e 's/ %[fFuUick]//g' -e 's/%%/%/g' <<<"$exec_value")
eval "set -- $exec_value"
(cd "$path_value" && exec "$@") >>"$WORK/program.log" 2>&1 &
PROGRAM_PID=$!
PROGRAM_PIDS+=("$PROGRAM_PID")
find_main_window
dialog=$(find_window '^Update Provider Code$') || fail "the provider-code dialog did not open"
[ -d "$prefix/AppData" ] && [ -d "$prefix/Submit" ] ||
    fail "AppData and Submit were not made beside the installed program"
screenshot

step "close it: Cancel in the dialog, the \"Provider Code Error\" box, Cancel on the first record"
click CancelButton "$dialog"
answer_box "Provider Code Error"
click cmdDelete
expect_program_ended

step "install again: the program is replaced, the office's files are kept"
printf '654321' >"$prefix/AppData/provider.txt"
printf 'Dr. Alice Brown\r\n' >"$prefix/AppData/physician.txt"
touch "$prefix/Submit/Lead_654321_20250101_120000_0001.txt"
(cd "$prefix" && find AppData Submit -type f -exec sha1sum {} + | sort) >"$WORK/kept.before"
install_into_home
(cd "$prefix" && find AppData Submit -type f -exec sha1sum {} + | sort) >"$WORK/kept.after"
diff -u "$WORK/kept.before" "$WORK/kept.after" || fail "the reinstallation changed the office's files"
cmp -s "$prefix/korvanel" "$EXE" || fail "the program was not replaced"

step "install into a folder given on the command line"
install_into_home "$WORK/second place"
[ -x "$WORK/second place/korvanel" ] || fail "no program in the given folder"
grep -qxF "Exec=\"$WORK/second place/korvanel\"" "$entry" ||
    fail "the entry does not start the program in the given folder: $(grep ^Exec= "$entry")"
