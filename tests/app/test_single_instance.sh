#!/usr/bin/env bash
# Runs the real program as separate processes on a private X server:
#  - a second copy started from the same folder shows "Korvanel CM" and ends with status 0,
#    leaving the first copy running and the files untouched, also when it runs with another
#    runtime folder (another login or user on the same program folder); the first copy starts in
#    a folder without AppData and keeps its lock there, owner-only;
#  - after the first copy is killed with SIGKILL the next start is not blocked;
#  - a lock left behind that is nobody's (empty, NUL bytes, garbage, this computer's dead
#    process, a process of an earlier boot) is taken over without a word, however old;
#  - a lock naming another computer asks first: No ends the program and leaves the lock, Yes
#    takes it over;
#  - a start-up that cannot open its files, or cannot make its lock (a read-only file system),
#    shows one "File Error" and ends with a non-zero status.
# Usage: bash test_single_instance.sh BUILD_DIR (KORVANEL_EXE names the program). Exit 77: skipped.
set -uo pipefail

for tool in Xvfb xdotool; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done
: "${KORVANEL_EXE:?KORVANEL_EXE must name the program}"

work=$(mktemp -d)
xvfb_pid=
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill -9 "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    mountpoint -q "$work/readonly" 2>/dev/null && umount "$work/readonly"
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    exit 1
}

# A private X server on the first free display number.
for number in $(seq 120 220); do
    [ -e "/tmp/.X$number-lock" ] && continue
    Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -S "/tmp/.X11-unix/X$number" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ -S "/tmp/.X11-unix/X$number" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
        export DISPLAY=":$number"
        break
    fi
    xvfb_pid=
done
[ -n "${DISPLAY:-}" ] || { echo "SKIP: Xvfb would not start"; exit 77; }
unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# The program in a folder of its own, as installed, before its first start: no AppData yet.
app="$work/app"
mkdir -p "$app"
cp "$KORVANEL_EXE" "$app/korvanel"

# Waits up to 20 s for a window whose title matches; prints its id.
find_window() {
    timeout 20 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -1
}

# Presses Return in the window (closes a message box with its OK button).
answer_box() {
    xdotool windowfocus --sync "$1" && xdotool key Return
}

# Waits up to 20 s for a process to end; its exit status is in $ended_status.
wait_for_end() {
    local pid=$1
    for _ in $(seq 200); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            ended_status=$?
            return 0
        fi
        sleep 0.1
    done
    return 1
}

snapshot() {
    (cd "$app" && find . -printf '%p %s %m %T@\n' | sort && cat AppData/* 2>/dev/null | md5sum)
}

# First copy: no provider code yet, so it opens the provider-code dialog over its window.
"$app/korvanel" &
first=$!
pids+=("$first")
[ -n "$(find_window 'Update Provider Code')" ] || fail "the first copy did not open its provider-code dialog"
[ -n "$(find_window 'Blood Lead Result Reporting')" ] || fail "the first copy shows no main window"
before=$(snapshot)

# A copy started while the first runs shows only the message, then ends with status 0, leaving
# the first copy and the files untouched. Usage: refused_copy WHAT [VAR=VALUE...]
refused_copy() {
    local what=$1 copy box main_windows
    shift
    env "$@" "$app/korvanel" &
    copy=$!
    pids+=("$copy")
    box=$(find_window '^Korvanel CM$')
    [ -n "$box" ] || fail "$what showed no 'Korvanel CM' message"
    main_windows=$(xdotool search --onlyvisible --name 'Blood Lead Result Reporting' | wc -l)
    [ "$main_windows" -eq 1 ] || fail "$what showed a main window ($main_windows visible)"
    answer_box "$box" || fail "could not answer the message of $what"
    wait_for_end "$copy" || fail "$what did not end after its message"
    [ "$ended_status" -eq 0 ] || fail "$what ended with status $ended_status"
    kill -0 "$first" 2>/dev/null || fail "the first copy ended"
    [ "$(snapshot)" = "$before" ] || fail "$what changed the program's files"
}

refused_copy "the second copy from the same folder"

# The lock lives with the data, owner-only, under a name no data file has.
locks=$(cd "$app/AppData" && ls | grep -v -x -e provider.txt -e Korvanel.dat)
[ "$locks" = instance.lock ] || fail "AppData holds '$locks' beside the data files"
[ "$(stat -c %a "$app/AppData/instance.lock")" = 600 ] || fail "the lock file is not 0600"

# A copy with a runtime folder of its own (another login, another user) on the same folder.
other_runtime="$work/runtime-other"
mkdir -m 700 "$other_runtime"
refused_copy "a copy with another runtime folder" XDG_RUNTIME_DIR="$other_runtime"

# A copy killed outright never blocks the next start.
kill -9 "$first"
wait "$first" 2>/dev/null
third_started=$(date +%s)
"$app/korvanel" &
third=$!
pids+=("$third")
[ -n "$(find_window 'Update Provider Code')" ] || fail "the start after a killed copy did not come up"
[ -z "$(xdotool search --onlyvisible --name '^Korvanel CM$')" ] ||
    fail "the start after a killed copy was taken for a second copy"
echo "restart after SIGKILL came up in $(($(date +%s) - third_started)) s"
kill -9 "$third"
wait "$third" 2>/dev/null

lock="$app/AppData/instance.lock"

# Starts the program over the lock file as it stands; it must come up with no other message and
# hold the lock itself. Usage: comes_up WHAT
comes_up() {
    local what=$1 copy
    "$app/korvanel" &
    copy=$!
    pids+=("$copy")
    [ -n "$(find_window 'Update Provider Code')" ] || fail "$what: the program did not come up"
    [ -z "$(xdotool search --onlyvisible --name '^Korvanel CM$')" ] ||
        fail "$what: taken for a second copy"
    [ -z "$(xdotool search --onlyvisible --name 'Another Computer')" ] ||
        fail "$what: asked about another computer"
    [ "$(head -1 "$lock")" = "$copy" ] || fail "$what: the lock is not the new copy's"
    [ "$(stat -c %a "$lock")" = 600 ] || fail "$what: the lock taken over is not 0600"
    kill -9 "$copy"
    wait "$copy" 2>/dev/null
}

# A lock left behind that is nobody's, even two days old, is taken over.
# The lock's lines: process, program, computer name, machine id, boot id.
host=$(hostname)
machine=$(cat /etc/machine-id 2>/dev/null || cat /var/lib/dbus/machine-id 2>/dev/null)
boot=$(cat /proc/sys/kernel/random/boot_id 2>/dev/null)
left_behind() {
    printf "$2" >"$lock"
    touch -d '2 days ago' "$lock"
    comes_up "$1"
}
left_behind "an empty lock file" ''
left_behind "a lock file of NUL bytes (a power cut)" '\0\0\0\0\0\0\0\0\0\0\0\0'
left_behind "a lock file of garbage" 'x\x01\xff garbage\n\n'
left_behind "a lock of this computer naming a process that is gone" \
    "999999\nkorvanel\n$host\n$machine\n$boot\n"
left_behind "a lock of this computer under its name before a renaming" \
    "999999\nkorvanel\nold-name-of-this-pc\n$machine\n$boot\n"
# The number now belongs to a running process, but the lock was taken before the last boot.
left_behind "a lock of an earlier boot" \
    "$xvfb_pid\nXvfb\n$host\n$machine\n00000000-0000-0000-0000-000000000000\n"

# A lock naming another computer: the operator is asked, with what to check first.
# Usage: asked_about_other_computer KEY (Escape answers No, Return Yes); the copy's pid is left
# in $asked_pid.
other_lock="4242\nkorvanel\nfront-desk-pc\n0123456789abcdef0123456789abcdef\n$boot\n"
asked_about_other_computer() {
    local box
    "$app/korvanel" &
    asked_pid=$!
    pids+=("$asked_pid")
    box=$(find_window 'Program in Use on Another Computer')
    [ -n "$box" ] || fail "a lock of another computer was not asked about"
    [ -z "$(xdotool search --onlyvisible --name 'Blood Lead Result Reporting')" ] ||
        fail "the main window was shown before the operator answered"
    xdotool windowfocus --sync "$box" && xdotool key "$1" || fail "could not answer the question"
}
printf "$other_lock" >"$lock"
asked_about_other_computer Escape
wait_for_end "$asked_pid" || fail "No did not end the program"
[ "$ended_status" -eq 0 ] || fail "No ended the program with status $ended_status"
[ "$(cat "$lock")" = "$(printf "$other_lock")" ] || fail "No changed the other computer's lock"
asked_about_other_computer Return
[ -n "$(find_window 'Update Provider Code')" ] || fail "Yes did not start the program"
[ "$(head -1 "$lock")" = "$asked_pid" ] || fail "Yes did not take the lock over"
# The copy now running is this computer's: another start is the second copy.
"$app/korvanel" &
second=$!
pids+=("$second")
box=$(find_window '^Korvanel CM$')
[ -n "$box" ] || fail "a copy started beside the one that took over was not refused"
answer_box "$box"
wait_for_end "$second" || fail "the refused copy did not end"
kill -9 "$asked_pid"
wait "$asked_pid" 2>/dev/null

# AppData on a read-only file system: "File Error" naming it, never "already running", with or
# without a lock left behind.
if [ "$(id -u)" = 0 ]; then
    readonly_app="$work/readonly"
    mkdir -p "$readonly_app/AppData" "$readonly_app/Submit"
    cp "$KORVANEL_EXE" "$readonly_app/korvanel"
    chmod 700 "$readonly_app/AppData" "$readonly_app/Submit"
    for leftover in none dead-process; do
        if mountpoint -q "$readonly_app"; then umount "$readonly_app"; fi
        rm -f "$readonly_app/AppData/instance.lock"
        [ $leftover = dead-process ] &&
            printf "999999\nkorvanel\n$host\n$machine\n$boot\n" >"$readonly_app/AppData/instance.lock"
        mount --bind "$readonly_app" "$readonly_app" &&
            mount -o remount,bind,ro "$readonly_app" || fail "read-only bind mount"
        "$readonly_app/korvanel" &
        failing=$!
        pids+=("$failing")
        box=$(find_window '^File Error$')
        [ -n "$box" ] || fail "read-only AppData ($leftover lock) showed no 'File Error'"
        [ -z "$(xdotool search --onlyvisible --name '^Korvanel CM$')" ] ||
            fail "read-only AppData ($leftover lock) was taken for a second copy"
        answer_box "$box" || fail "could not answer the read-only message"
        wait_for_end "$failing" || fail "the program did not end on a read-only AppData"
        [ "$ended_status" -ne 0 ] || fail "a read-only AppData ended with status 0"
    done
    umount "$readonly_app"
else
    echo "read-only file system not tried: mounting needs root"
fi

# A working folder that cannot be made: one message naming it, then a non-zero exit status.
broken="$work/broken"
mkdir -p "$broken"
cp "$KORVANEL_EXE" "$broken/korvanel"
echo "not a folder" >"$broken/AppData"
"$broken/korvanel" &
failing=$!
pids+=("$failing")
box=$(find_window '^File Error$')
[ -n "$box" ] || fail "a start-up that cannot make AppData showed no 'File Error' message"
[ -z "$(xdotool search --onlyvisible --name '^Korvanel CM$')" ] ||
    fail "a failed start-up used the second copy's title"
[ -z "$(xdotool search --onlyvisible --name 'Blood Lead Result Reporting')" ] ||
    fail "the main window was shown although start-up failed"
answer_box "$box" || fail "could not answer the start-up failure message"
wait_for_end "$failing" || fail "the program did not end after its start-up failure"
[ "$ended_status" -ne 0 ] || fail "a failed start-up ended with status 0"
[ ! -e "$broken/Submit" ] || fail "a failed start-up made the Submit folder"
[ "$(cat "$broken/AppData")" = "not a folder" ] || fail "a failed start-up changed AppData"

echo "PASS"
