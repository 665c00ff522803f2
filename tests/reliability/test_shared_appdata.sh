# One program folder used by two users of the computer (an installation in a shared place): the
# first user's program makes AppData owner-only (0700) and its files 0600. A copy started by a
# second user is refused at start-up with a message naming the folder's file and the reason, and
# opens none of the first user's files; the first user's files stay as they were.
set -u
tool="$KORVANEL_TOOLS_DIR/tool_operate"
[ "$(id -u)" = 0 ] || { echo "SKIP: running the program as a second user needs root"; exit 77; }
command -v setpriv >/dev/null || { echo "SKIP: setpriv is missing"; exit 77; }
command -v strace >/dev/null || { echo "SKIP: strace is missing"; exit 77; }
[ -x "$tool" ] || { echo "FAIL: tools not built"; exit 1; }
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
second=65534 # nobody
setpriv --reuid=$second --regid=$second --clear-groups test -x "$tool" ||
    { echo "SKIP: the second user cannot run $tool (a folder above it is not open to others)"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 0755 "$work"
app="$work/app"
mkdir -m 0755 "$app"
failures=0
fail() {
    echo "FAIL: $1"
    failures=$((failures + 1))
}

# The first user: the program makes its folders and files, and a record is saved.
timeout 60 "$tool" "$app" append >"$work/first" 2>/dev/null || fail "first user's run: $(cat "$work/first")"
[ "$(stat -c %a "$app/AppData")" = 700 ] || fail "AppData is $(stat -c %a "$app/AppData")"
for file in "$app"/AppData/*; do
    [ "$(stat -c %a "$file")" = 600 ] || fail "$file is $(stat -c %a "$file")"
done
[ "$(stat -c %s "$app/AppData/Korvanel.dat")" -ge 198 ] || fail "the first user's record was not saved"
before=$(cd "$app" && find . -type f -exec md5sum {} + | sort)

# The second user starts the program on the same folder.
mkdir -m 0700 "$work/runtime" && chown $second "$work/runtime"
XDG_RUNTIME_DIR="$work/runtime" HOME="$work/runtime" timeout 60 strace -f -o "$work/trace" \
    -e trace=openat,open,creat,newfstatat,statx,lstat,stat,mkdir,unlink,rename,renameat2 \
    setpriv --reuid=$second --regid=$second --clear-groups \
    "$tool" "$app" none >"$work/second" 2>/dev/null
status=$?
[ $status = 3 ] || fail "the second user's copy was not refused (status $status): $(cat "$work/second")"
grep -q '^STARTED failed' "$work/second" || fail "started: $(cat "$work/second")"
grep -F "MESSAGE File Error|The program cannot start: / $app/AppData/" "$work/second" |
    grep -q 'Permission denied' ||
    fail "no message naming AppData and the reason: $(cat "$work/second")"
# Nothing of the first user's was opened: every call on AppData failed.
grep -qE "\"$app/AppData/[^\"]*\"" "$work/trace" || fail "no call on a file of AppData was traced"
if grep -E "\"$app/AppData/[^\"]*\"" "$work/trace" | grep -vE '= -1 E[A-Z]+' | grep -q .; then
    fail "the second user's copy reached into AppData: $(grep -E "\"$app/AppData/" "$work/trace" | grep -vE '= -1 E' | head -3)"
fi
after=$(cd "$app" && find . -type f -exec md5sum {} + | sort)
[ "$before" = "$after" ] || fail "the first user's files changed"

[ $failures = 0 ] || exit 1
echo "PASS: the second user's copy was refused ($(grep '^MESSAGE' "$work/second" | head -1))"
