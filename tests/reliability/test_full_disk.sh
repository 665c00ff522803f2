# The real main window on a full disk (a 64 KiB tmpfs filled up) and on read-only folders (read-only
# bind mounts): start-up, save in place, append, delete, provider-code write and submission each
# end with a clear message naming the file, or succeed, and never lose a saved record.
set -u
tool="$KORVANEL_TOOLS_DIR/tool_operate"
seed="$KORVANEL_TOOLS_DIR/tool_seedfolder"
[ "$(id -u)" = 0 ] || { echo "SKIP: mounting a small tmpfs and read-only binds needs root"; exit 77; }
command -v timeout >/dev/null || { echo "SKIP: timeout is missing"; exit 77; }
[ -x "$tool" ] && [ -x "$seed" ] || { echo "FAIL: tools not built"; exit 1; }
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

work=$(mktemp -d)
disk="$work/disk"
ro="$work/ro"
mkdir -p "$disk" "$ro"
cleanup() {
    mountpoint -q "$disk/app/Submit" && umount "$disk/app/Submit"
    mountpoint -q "$ro" && umount "$ro"
    mountpoint -q "$disk" && umount "$disk"
    rm -rf "$work"
}
trap cleanup EXIT
mount -t tmpfs -o size=64k,mode=0700 tmpfs "$disk" 2>/dev/null ||
    { echo "SKIP: cannot mount a tmpfs here"; exit 77; }
failures=0
fail() {
    echo "FAIL: $1"
    failures=$((failures + 1))
}

app="$disk/app"
fill_disk() {
    # Every free block taken; writing further fails with ENOSPC.
    dd if=/dev/zero of="$disk/filler" bs=1k 2>/dev/null
    [ "$(df --output=avail -B1 "$disk" | tail -1)" -lt 1024 ] || fail "the disk did not fill up"
}
reset_disk() {
    rm -rf "$disk"/* "$disk"/.[!.]* 2>/dev/null
    mkdir -p "$app"
}
seed_app() {
    "$seed" "$app" "$1" && mkdir -p "$app/Submit" || fail "seeding"
}

# run_gated NAME OPERATION: starts the window, fills the disk, then runs the command.
run_gated() {
    local name=$1 operation=$2
    rm -f "$work/in"
    mkfifo "$work/in"
    KORVANEL_OPERATE_GATE=1 timeout 60 "$tool" "$app" "$operation" <"$work/in" >"$work/out" 2>/dev/null &
    local pid=$!
    exec 3>"$work/in"
    local waited=0
    until grep -q '^READY' "$work/out" 2>/dev/null || ! kill -0 $pid 2>/dev/null; do
        waited=$((waited + 1))
        [ $waited -lt 3000 ] || break
        sleep 0.02 # polling, bounded by the count above
    done
    fill_disk
    echo go >&3
    exec 3>&-
    wait $pid
    echo $? >"$work/rc"
}

# expect_told_or_done NAME BEFORE AFTER: the data file holds BEFORE (and the operator was told of
# the failure, the program still running) or AFTER (the command succeeded).
expect_told_or_done() {
    local name=$1 before=$2 after=$3
    local rc
    rc=$(cat "$work/rc")
    [ "$rc" = 0 ] || { fail "$name: exit $rc, output: $(cat "$work/out")"; return; }
    if cmp -s "$before" "$app/AppData/Korvanel.dat"; then
        grep -q "^MESSAGE File Error|.*$app" "$work/out" || fail "$name: failed without a message"
        grep -q '^ALIVE' "$work/out" || fail "$name: the program did not keep running"
        echo "ok: $name -> told: $(grep '^MESSAGE File Error' "$work/out" | head -1 | cut -c1-160)"
    elif [ -n "$after" ] && cmp -s "$after" "$app/AppData/Korvanel.dat"; then
        echo "ok: $name -> done (the disk had room)"
    else
        fail "$name: the data file holds neither the records before nor after"
    fi
}

# First start on a full disk (the program's own folder exists): folders and empty files need no
# blocks; the unset provider code is written as six blanks, which needs one.
reset_disk
fill_disk
timeout 60 "$tool" "$app" none >"$work/out" 2>/dev/null
rc=$?
[ $rc = 0 ] || [ $rc = 3 ] || fail "first start on a full disk: exit $rc"
grep -q '^MESSAGE' "$work/out" || fail "first start on a full disk: no message"
echo "ok: first start on a full disk -> $(grep '^MESSAGE' "$work/out" | tail -1 | cut -c1-160)"

for operation in save-in-place append delete provider-write submit; do
    reset_disk
    # 20 records end 136 bytes short of a 4 KiB page: an append needs a new block.
    seed_app 20
    cp "$app/AppData/Korvanel.dat" "$work/before"
    run_gated "$operation on a full disk" "$operation"
    case $operation in
    submit)
        if [ -e "$app/AppData/Korvanel.dat" ]; then
            expect_told_or_done "submit on a full disk" "$work/before" ""
            [ -z "$(ls "$app/Submit")" ] || fail "submit on a full disk left $(ls "$app/Submit")"
        else
            cmp -s "$work/before" "$app"/Submit/Lead_*.txt || fail "submit: incomplete submission"
            echo "ok: submit on a full disk -> done"
        fi
        ;;
    provider-write)
        # Rewriting six bytes in place needs no new block.
        cmp -s "$work/before" "$app/AppData/Korvanel.dat" || fail "provider code: records changed"
        case $(cat "$app/AppData/provider.txt") in
        654321) echo "ok: provider code on a full disk -> written in place" ;;
        123456)
            grep -q "^MESSAGE File Error|.*provider.txt" "$work/out" || fail "provider code: not told"
            echo "ok: provider code on a full disk -> told"
            ;;
        *) fail "provider code on a full disk: provider.txt holds '$(cat "$app/AppData/provider.txt")'" ;;
        esac
        ;;
    save-in-place)
        # Rewriting record 1 in place needs no new block: done, or told and unchanged.
        { head -c 198 "$work/before" | sed 's/Record1  /Changed  /'; tail -c +199 "$work/before"; } >"$work/after"
        expect_told_or_done "save in place on a full disk" "$work/before" "$work/after"
        ;;
    *)
        expect_told_or_done "$operation on a full disk" "$work/before" ""
        ;;
    esac
done

# Read-only program folder: start-up cannot open the data file for writing and says so.
reset_disk
seed_app 3
cp "$app/AppData/Korvanel.dat" "$work/before"
mount --bind "$app" "$ro" && mount -o remount,bind,ro "$ro" || { fail "read-only bind mount"; }
timeout 60 "$tool" "$ro" none >"$work/out" 2>/dev/null
rc=$?
if grep -q '^STARTED ok' "$work/out"; then
    echo "ok: start-up in a read-only folder -> started (nothing to write)"
else
    [ $rc = 3 ] || fail "start-up in a read-only folder: exit $rc"
    grep -q "^MESSAGE .*$ro" "$work/out" || fail "start-up in a read-only folder: no message naming the file"
    echo "ok: start-up in a read-only folder -> $(grep '^MESSAGE' "$work/out" | head -1 | cut -c1-160)"
fi
cmp -s "$work/before" "$app/AppData/Korvanel.dat" || fail "read-only start-up changed the records"
umount "$ro"

# Read-only Submit folder: the submission stops with a message; the records stay in the data file.
mount --bind "$app/Submit" "$ro" && mount -o remount,bind,ro "$ro" && mount --bind "$ro" "$app/Submit" ||
    fail "read-only Submit"
timeout 60 "$tool" "$app" submit >"$work/out" 2>/dev/null
echo $? >"$work/rc"
expect_told_or_done "submit into a read-only Submit" "$work/before" ""
umount "$app/Submit"
umount "$ro"

[ $failures = 0 ] && echo "PASS: full and read-only disks lose nothing"
exit $((failures > 0))
