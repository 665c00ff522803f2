#!/usr/bin/env bash
# Runs the real program as separate processes on a private X server:
#  - a second copy started from the same folder shows "Korvanel CM" and ends with status 0,
#    leaving the first copy running and the files untouched, also when it runs with another
#    runtime folder (another login or user on the same program folder); the first copy starts in
#    a folder without AppData and keeps its lock there, owner-only;
#  - after the first copy is killed with SIGKILL the next start is not blocked;
#  - a start-up that cannot open its files shows one message and ends with a non-zero status.
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
