# Shared by the end-to-end journeys: a private X server, the real program in a fresh folder,
# X input at the window's control positions, message boxes found by title, and the expected
# 198-byte records. Sourced by tests/e2e/test_*.sh, not run.
#
# A journey calls e2e_begin NAME "$@" first; every later failure names the step it was in
# (set with step "..."), saves a screenshot and shows the program's output.

set -u

E2E_TIMEOUT=${E2E_TIMEOUT:-15}
MAIN_TITLE_PREFIX='Korvanel® Blood Lead Result Reporting'

e2e_skip() {
    echo "SKIP: $*"
    exit 77
}

# ---- life cycle ---------------------------------------------------------------------------

e2e_begin() {
    JOURNEY=$1
    BUILD_DIR=${2:-}
    [ -n "$BUILD_DIR" ] || { echo "usage: $0 BUILD_DIR"; exit 2; }
    local tool
    for tool in Xvfb xdotool import cmp od; do
        command -v "$tool" >/dev/null || e2e_skip "$tool is missing (install xvfb xdotool imagemagick)"
    done
    EXE=${KORVANEL_EXE:-$BUILD_DIR/korvanel}
    [ -x "$EXE" ] || { echo "FAIL: no program at $EXE"; exit 1; }
    SCREENS=$BUILD_DIR/screens/e2e
    mkdir -p "$SCREENS"
    WORK=$(mktemp -d "${TMPDIR:-/tmp}/korvanel-e2e-$JOURNEY.XXXXXX")
    # The folder of the program copy is its AppPath; AppData and Submit appear beside it.
    APP=$WORK/app
    mkdir -p "$APP"
    cp "$EXE" "$APP/korvanel"
    DATA=$APP/AppData
    # A private runtime folder for Qt; the single-instance lock lives in this copy's own AppData.
    export XDG_RUNTIME_DIR=$WORK/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    unset QT_QPA_PLATFORM WAYLAND_DISPLAY
    PROGRAM_PIDS=()
    E2E_CLEANUPS=()
    XVFB_PID=
    STEP="setting up"
    E2E_STARTED=$SECONDS
    trap e2e_end EXIT
    start_xvfb
}

start_xvfb() {
    local fifo=$WORK/displayfd
    mkfifo "$fifo"
    # -displayfd picks a free display and writes its number once the server accepts clients.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    local number
    if ! read -r -t 20 number <"$fifo" || [ -z "$number" ]; then
        cat "$WORK/xvfb.log"
        fail "Xvfb did not start"
    fi
    export DISPLAY=:$number
}

e2e_end() {
    local status=$?
    trap - EXIT
    if [ $status -ne 0 ] && [ -n "$XVFB_PID" ]; then
        import -window root "$SCREENS/$JOURNEY.png" 2>/dev/null
    fi
    local pid
    for pid in "${PROGRAM_PIDS[@]}"; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    local cleanup
    for cleanup in "${E2E_CLEANUPS[@]}"; do eval "$cleanup"; done
    if [ $status -eq 0 ]; then
        echo "PASS: $JOURNEY ($((SECONDS - E2E_STARTED)) s)"
        rm -rf "$WORK"
    else
        echo "(work folder kept: $WORK; screenshot: $SCREENS/$JOURNEY.png)"
    fi
    exit $status
}

step() {
    STEP=$*
    echo "-- [$((SECONDS - E2E_STARTED)) s] $STEP"
}

fail() {
    echo "FAIL: $JOURNEY, step \"$STEP\": $*"
    if [ -s "$WORK/program.log" ]; then
        echo "program output:"
        tail -n 20 "$WORK/program.log"
    fi
    exit 1
}

# Saves the whole screen as this journey's picture for a person to look at.
screenshot() {
    import -window root "$SCREENS/${1:-$JOURNEY}.png" || fail "cannot take a screenshot"
}

# ---- waiting --------------------------------------------------------------------------------

# wait_for SECONDS COMMAND...
. "$(dirname "${BASH_SOURCE[0]}")/../support/wait_for.sh"

file_size_is() { [ -f "$1" ] && [ "$(stat -c %s "$1")" = "$2" ]; }
file_is_missing() { [ ! -e "$1" ]; }

# ---- the program ----------------------------------------------------------------------------

# Starts the program copy; PROGRAM_PID is the newest copy.
start_program() {
    "$APP/korvanel" >>"$WORK/program.log" 2>&1 &
    PROGRAM_PID=$!
    PROGRAM_PIDS+=("$PROGRAM_PID")
}

process_ended() { ! kill -0 "$1" 2>/dev/null; }

# expect_program_ended [PID]: the program ends by itself, with exit status 0.
expect_program_ended() {
    local pid=${1:-$PROGRAM_PID}
    wait_for "$E2E_TIMEOUT" process_ended "$pid" || fail "the program did not end"
    local status=0
    wait "$pid" || status=$?
    [ $status = 0 ] || fail "the program ended with status $status"
}

expect_program_running() {
    kill -0 "${1:-$PROGRAM_PID}" 2>/dev/null || fail "the program is no longer running"
}

# Window ids whose title matches the extended regular expression.
windows_named() { xdotool search --name "$1" 2>/dev/null; }

# find_window REGEX: the id of a window with that title, waiting for it to appear.
find_window() {
    local id
    id=$(timeout "$E2E_TIMEOUT" xdotool search --sync --limit 1 --name "$1" 2>/dev/null | head -n 1)
    [ -n "$id" ] || return 1
    echo "$id"
}

# Waits for the main window; sets WIN, WIN_X, WIN_Y (the client area's screen position: without
# a window manager the window has no frame) and MENU_HEIGHT (the menu bar above the client area,
# which is the form's 438 pixels high).
find_main_window() {
    WIN=$(find_window "^$MAIN_TITLE_PREFIX") || fail "the main window did not appear"
    window_origin "$WIN"
    MENU_HEIGHT=$((ORIGIN_HEIGHT - 438))
    WIN_X=$ORIGIN_X
    WIN_Y=$((ORIGIN_Y + MENU_HEIGHT))
}

window_origin() {
    local geometry
    geometry=$(xdotool getwindowgeometry --shell "$1") || fail "window $1 is gone"
    ORIGIN_X=$(sed -n 's/^X=//p' <<<"$geometry")
    ORIGIN_Y=$(sed -n 's/^Y=//p' <<<"$geometry")
    ORIGIN_HEIGHT=$(sed -n 's/^HEIGHT=//p' <<<"$geometry")
}

main_title() { xdotool getwindowname "$WIN" 2>/dev/null; }
title_ends_with() { [[ "$(main_title)" == *"$1" ]]; }

# expect_title_end "(Record 2 of 3)": the main window's title ends so, waiting for it.
expect_title_end() {
    wait_for "$E2E_TIMEOUT" title_ends_with "$1" ||
        fail "the title should end in \"$1\"; it reads \"$(main_title)\""
}

# ---- X input --------------------------------------------------------------------------------

# Keyboard input goes to the window with the X focus; with no window manager it must be given.
focus_main() { xdotool windowfocus --sync "$WIN" || fail "cannot focus the main window"; }
# A letter the keyboard map lacks is typed by binding it to a spare key for a moment; a program
# that reads the map after it was put back sees nothing. Such letters go one at a time, slowly,
# so that a slow (sanitizer) build has read the map before it changes again.
type_text() {
    local LC_ALL=C.UTF-8 text=$1 ascii
    while [[ -n $text ]]; do
        ascii=${text%%[^ -~]*}
        if [[ -n $ascii ]]; then
            xdotool type --delay 12 -- "$ascii" || fail "cannot type \"$1\""
            text=${text#"$ascii"}
        else
            xdotool type --delay 600 -- "${text:0:1}" || fail "cannot type \"$1\""
            text=${text:1}
        fi
    done
}
press() { xdotool key --delay 12 "$@" || fail "cannot press $*"; }

# Positions in twips of the controls the journeys use, as the form places them: container, left,
# top, width, height.
# Controls in a frame are placed from the frame's top-left corner (the QGroupBox, title included).
declare -A CONTROL=(
    [fraPerson]="- 200 200 4155 2200"
    [fraAddress]="- 200 2600 4152 2000"
    [fraParents]="- 4560 200 4335 1400"
    [fraTestInfo]="- 4560 1900 4335 2700"
    [fraDemographics]="- 200 4740 8700 800"
    [Picture1]="fraTestInfo 1560 240 2535 290"
    [mskDateTaken]="fraPerson 1440 300 1515 285"
    [cmdDateTakenToday]="fraPerson 3120 300 285 285"
    [txtLastName]="fraPerson 1440 600 2472 285"
    [txtFirstName]="fraPerson 1440 900 1515 285"
    [txtMiddleInitial]="fraPerson 1440 1200 555 285"
    [mskDateOfBirth]="fraPerson 1440 1500 1515 285"
    [optMale]="fraPerson 1440 1800 1050 285"
    [optFemale]="fraPerson 2760 1800 1020 285"
    [txtStreetNumber]="fraAddress 1440 300 1515 285"
    [txtStreetName]="fraAddress 1440 600 2472 285"
    [txtAptNumber]="fraAddress 1440 900 1515 285"
    [cboCity]="fraAddress 1440 1200 2472 315"
    [cboZip]="fraAddress 1440 1500 1515 315"
    [txtParentsLast]="fraParents 1560 300 2472 285"
    [txtParentsFirst]="fraParents 1560 600 1515 285"
    [mskPhone]="fraParents 1560 900 1515 285"
    [optCapillary]="Picture1 0 0 1155 285"
    [optVenous]="Picture1 1440 0 975 285"
    [mskAnalysisDate]="fraTestInfo 1560 600 1515 285"
    [txtPb]="fraTestInfo 1560 900 1515 285"
    [cboPhysician]="fraTestInfo 1560 1580 2472 315"
    [txtProviderCode]="fraTestInfo 1560 1900 1515 285"
    [cmdChangeProviderCode]="fraTestInfo 3240 1900 285 285"
    [txtAnalysisMethod]="fraTestInfo 1560 2200 1515 285"
    [cmdNew]="- 200 5820 900 600"
    [cmdDelete]="- 1250 5820 900 600"
    [cmdUpdate]="- 2300 5820 900 600"
    [cmdPrevious]="- 3350 5820 900 600"
    [cmdNext]="- 4400 5820 900 600"
    [cmdPrint]="- 5450 5820 900 600"
    [cmdWriteEFile]="- 6500 5820 1200 600"
    [cmdExit]="- 8000 5820 900 600"
    [OKButton]="- 3400 200 1215 375"
    [CancelButton]="- 3400 680 1215 375"
)

# control_centre NAME: sets CX, CY, the centre of the control in the window's pixels.
control_centre() {
    local name=$1 container left top width height
    read -r container left top width height <<<"${CONTROL[$name]:?unknown control $name}"
    local x=$((left + width / 2)) y=$((top + height / 2))
    while [ "$container" != - ]; do
        local c_left c_top
        read -r container c_left c_top _ _ <<<"${CONTROL[$container]}"
        x=$((x + c_left))
        y=$((y + c_top))
    done
    CX=$((x / 15))
    CY=$((y / 15))
}

# click NAME [WINDOW]: a left click at the control's position in the window (default the main
# window).
click() {
    local name=$1 window=${2:-}
    local x0=$WIN_X y0=$WIN_Y
    if [ -n "$window" ]; then
        window_origin "$window"
        x0=$ORIGIN_X
        y0=$ORIGIN_Y
    fi
    control_centre "$name"
    xdotool mousemove $((x0 + CX)) $((y0 + CY)) click 1 || fail "cannot click $name"
}

# choose_from_list INDEX: opens the drop-down list of the focused combo box and takes the entry
# with that 0-based index, as an operator does with the keyboard.
choose_from_list() {
    local keys=(Home) i
    for ((i = 0; i < $1; i++)); do keys+=(Down); done
    VISIBLE_BASE=$(visible_program_windows)
    press alt+Down
    # The list opens as a popup window of its own; steer it only once it is there.
    wait_for 5 popup_open || fail "the drop-down list did not open"
    press "${keys[@]}" Return
    wait_for 5 popup_closed || fail "the drop-down list did not close"
}
visible_program_windows() { xdotool search --onlyvisible --class korvanel 2>/dev/null | wc -l; }
popup_open() { [ "$(visible_program_windows)" -gt "$VISIBLE_BASE" ]; }
popup_closed() { [ "$(visible_program_windows)" -le "$VISIBLE_BASE" ]; }

# ---- what the window shows ----------------------------------------------------------------

# background_of NAME SHOT: the colour (RRGGBB) of the control's background in a picture of the
# main window, read just inside its right edge, where no typed text reaches.
background_of() {
    local name=$1 shot=$2 container left top width height
    control_centre "$name"
    read -r container left top width height <<<"${CONTROL[$name]}"
    local x=$((CX + width / 30 - 5)) y=$((CY + MENU_HEIGHT))
    convert "$shot" -format "%[hex:p{$x,$y}]" info: 2>/dev/null | cut -c1-6
}

# expect_highlighted NAME...: the controls show the light yellow of an empty mandatory field,
# waiting for the window to be painted so.
expect_highlighted() {
    wait_for 5 all_backgrounds FFFFC0 "$@" || fail "$FIRST_OFF should be light yellow (FFFFC0); it is $FIRST_OFF_COLOUR"
}

# expect_not_highlighted NAME...: the controls show their normal background.
expect_not_highlighted() {
    wait_for 5 all_backgrounds not-FFFFC0 "$@" || fail "$FIRST_OFF should not be light yellow"
}

# all_backgrounds COLOUR|not-COLOUR NAME...: a fresh picture of the main window shows that
# background in every control named.
all_backgrounds() {
    local want=$1 name colour shot=$WORK/window.png
    shift
    import -window "$WIN" "$shot" 2>/dev/null || return 1
    for name in "$@"; do
        colour=$(background_of "$name" "$shot")
        FIRST_OFF=$name
        FIRST_OFF_COLOUR=${colour:-unreadable}
        [ -n "$colour" ] || return 1
        if [ "${want#not-}" != "$want" ]; then
            [ "$colour" != "${want#not-}" ] || return 1
        else
            [ "$colour" = "$want" ] || return 1
        fi
    done
}

# ---- message boxes --------------------------------------------------------------------------

# answer_box TITLE [KEY...]: waits for a message box of that title, gives it the focus and
# presses the keys (default Return, which takes the default button).
answer_box() {
    local title=$1
    shift
    local box
    box=$(find_window "^$title\$") || fail "no \"$title\" message box appeared"
    xdotool windowfocus --sync "$box" || fail "cannot focus the \"$title\" box"
    if [ $# -eq 0 ]; then set -- Return; fi
    xdotool key "$@" || fail "cannot answer the \"$title\" box"
    wait_for "$E2E_TIMEOUT" box_closed "$box" || fail "the \"$title\" box did not close"
}
box_closed() { ! xdotool getwindowname "$1" >/dev/null 2>&1 || ! xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable'; }

expect_no_box() {
    local title=$1
    [ -z "$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null)" ] ||
        fail "an unexpected \"$title\" message box is open"
}

# ---- files ----------------------------------------------------------------------------------

# record FIELD=VALUE...: the 198 bytes of one result record; fields not given are blank.
# Field names as in the record layout; LineEnd is always CR LF.
RECORD_FIELDS=(DateTaken:8 LastName:20 FirstName:12 MiddleInitial:1 DateOfBirth:8 Sex:1
    StreetNumber:6 StreetName:20 AptNumber:4 City:20 Zip:5 ParentsFirst:12 ParentsLast:20
    PhoneAreaCode:3 PhoneNumber:8 RaceCode:1 Ancestry:2 AnalysisDate:8 PbResult:4
    BelowDetection:1 TestType:1 ProviderCode:6 Physician:20 AnalysisMethod:5)
record() {
    local -A value=()
    local pair
    for pair in "$@"; do value[${pair%%=*}]=${pair#*=}; done
    local field name width
    for field in "${RECORD_FIELDS[@]}"; do
        name=${field%%:*}
        width=${field#*:}
        printf '%-*.*s' "$width" "$width" "${value[$name]:-}"
    done
    printf '\r\n'
}

# The record that New leaves when nothing is typed: blank, with the default codes.
blank_new_record() {
    record Sex=F RaceCode=7 Ancestry=19 BelowDetection=0 TestType=C ProviderCode="$1" \
        AnalysisMethod=HHLA
}

# expect_file FILE EXPECTED_FILE: byte for byte, showing the first difference when they differ.
expect_file() {
    local actual=$1 expected=$2
    [ -f "$actual" ] || fail "$actual does not exist"
    if ! cmp -s "$actual" "$expected"; then
        echo "expected ($(stat -c %s "$expected") bytes):"
        od -c "$expected" | head -n 30
        echo "found ($(stat -c %s "$actual") bytes):"
        od -c "$actual" | head -n 30
        fail "$(basename "$actual") differs from the expected bytes: $(cmp "$actual" "$expected" 2>&1)"
    fi
}

# expect_bytes FILE PRINTF-TEXT: the file holds exactly these bytes.
expect_bytes() {
    printf '%b' "$2" >"$WORK/expected.bytes"
    expect_file "$1" "$WORK/expected.bytes"
}

# Prepares the program's AppData before its start.
prepare_appdata() {
    mkdir -p "$DATA"
    chmod 700 "$DATA"
}
