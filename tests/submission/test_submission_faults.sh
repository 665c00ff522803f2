# Fails or kills the submission's copy at each of its system calls and checks that the records
# are never lost: after a failure the data file is intact and no file stands under the final
# name or the temporary one; after a crash at least one complete copy is on the disk.
set -u
tool="$KORVANEL_TOOLS_DIR/tool_submit"
[ "$(id -u)" = 0 ] || { echo "SKIP: strace fault injection needs root here"; exit 77; }
command -v strace >/dev/null || { echo "SKIP: strace is missing"; exit 77; }
[ -x "$tool" ] || { echo "FAIL: $tool not built"; exit 1; }

# LeakSanitizer cannot run under ptrace; a sanitizer build still checks everything else.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
app="$work/app"
final="$app/Submit/Lead_123456_20261206_105255_0005.txt"
temporary="$app/Submit/.Lead_123456_20261206_105255_0005.txt.part"
failures=0

prepare() {
    rm -rf "$app"
    mkdir -p "$app/AppData" "$app/Submit"
    printf '%196s\r\n' first second third >"$app/AppData/Korvanel.dat"
    cp "$app/AppData/Korvanel.dat" "$work/original"
    printf '5     ' >"$app/AppData/nextfile.txt"
}

fail() {
    echo "FAIL: $1"
    failures=$((failures + 1))
}

# A failing step must be reported and must leave the data file, no final file, no temporary.
# The counter keeps its advance once it was written: that number is skipped, never reused.
expect_failure() {
    local name=$1 counter=$2
    shift 2
    prepare
    local outcome
    outcome=$(strace -o /dev/null "$@" "$tool" "$app")
    case $outcome in failed\ *) ;; *) fail "$name: reported '$outcome'"; return ;; esac
    cmp -s "$work/original" "$app/AppData/Korvanel.dat" || fail "$name: data file changed or lost"
    [ -z "$(ls -A "$app/Submit")" ] || fail "$name: left $(ls -A "$app/Submit")"
    [ "$(cat "$app/AppData/nextfile.txt")" = "$counter" ] ||
        fail "$name: counter holds '$(cat "$app/AppData/nextfile.txt")'"
    echo "ok: $name -> $outcome"
}

# A crash anywhere leaves the records complete in the data file or under the final name.
expect_survival() {
    local name=$1
    shift
    prepare
    { strace -o /dev/null "$@" "$tool" "$app" >/dev/null; } 2>/dev/null
    local copies=0
    cmp -s "$work/original" "$app/AppData/Korvanel.dat" && copies=$((copies + 1))
    [ -e "$final" ] && { cmp -s "$work/original" "$final" || fail "$name: torn final file"; } &&
        copies=$((copies + 1))
    [ $copies -gt 0 ] || fail "$name: no complete copy of the records survived"
    echo "ok: $name -> $copies complete copies"
}

# Counter: the write or its flush fails.
expect_failure "counter write" "5     " -e trace=pwrite64 -e inject=pwrite64:error=ENOSPC:when=1
expect_failure "counter flush" "6     " -e trace=fdatasync -e inject=fdatasync:error=EIO:when=1
# Copy: reading the data file, writing, flushing, a write that silently loses bytes.
expect_failure "data file read" "6     " -P "$app/AppData/Korvanel.dat" -e trace=read \
    -e inject=read:error=EIO:when=1
expect_failure "copy write" "6     " -e trace=write -e inject=write:error=ENOSPC:when=1
expect_failure "copy flush" "6     " -e trace=fsync -e inject=fsync:error=EIO:when=1
expect_failure "short write" "6     " -e trace=write -e inject=write:retval=10:when=1
# Verification: the copy cannot be read back, reads back different, or the data file fails.
expect_failure "read back" "6     " -P "$temporary" -e trace=read -e inject=read:error=EIO:when=1
expect_failure "copy reads back empty" "6     " -P "$temporary" -e trace=read \
    -e inject=read:retval=0:when=1
expect_failure "second data read" "6     " -P "$app/AppData/Korvanel.dat" -e trace=read \
    -e inject=read:error=EIO:when=3
# Publishing: the rename, the flush of Submit, the removal of the data file.
expect_failure "rename" "6     " -e trace=renameat2 -e inject=renameat2:error=EIO:when=1
expect_failure "flush of Submit" "6     " -e trace=fsync -e inject=fsync:error=EIO:when=2
expect_failure "data file removal" "6     " -e trace=unlink -e inject=unlink:error=EBUSY:when=1

# The flush of AppData after the removal fails: the data file is gone, so the submission file,
# now the only copy, stays, and the failure is still reported.
prepare
outcome=$(strace -o /dev/null -e trace=fsync -e inject=fsync:error=EIO:when=3 "$tool" "$app")
case $outcome in failed\ *) ;; *) fail "AppData flush: reported '$outcome'" ;; esac
cmp -s "$work/original" "$final" || fail "AppData flush: the submission file was not kept"
echo "ok: AppData flush -> $outcome"

for call in write:1 fsync:1 renameat2:1 fsync:2 unlink:1 fsync:3; do
    expect_survival "crash at ${call%:*} #${call#*:}" -e trace="${call%:*}" \
        -e inject="${call%:*}:signal=KILL:when=${call#*:}"
done

# Without faults the same run succeeds, so the cases above failed for the injected reason.
prepare
outcome=$("$tool" "$app")
[ "$outcome" = "ok /Submit/Lead_123456_20261206_105255_0005.txt" ] || fail "clean run: $outcome"
cmp -s "$work/original" "$final" && [ ! -e "$app/AppData/Korvanel.dat" ] || fail "clean run result"

[ $failures = 0 ] && echo "PASS: no fault loses the records"
exit $((failures > 0))
