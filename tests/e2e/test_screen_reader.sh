# Journey: what a screen reader hears. The program runs with its accessibility bridge on a private
# accessibility bus, and every focusable control of the main window and of each dialog must be
# named by its own caption when read through AT-SPI, as Orca reads it: by a label whose buddy it
# is, or (not a combo box, whose name is its current value) by its own name.
. "$(dirname "$0")/lib.sh"

# Debian's own interpreter: another python3 earlier on PATH does not see Debian's modules.
READER=(/usr/bin/python3 "$(dirname "$0")/screen_reader.py")
BUS_LAUNCHER=/usr/libexec/at-spi-bus-launcher
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null ||
    e2e_skip "/usr/bin/python3 cannot import pyatspi (install python3-pyatspi)"
command -v dbus-daemon >/dev/null || e2e_skip "dbus-daemon is missing (install dbus)"
[ -x "$BUS_LAUNCHER" ] || e2e_skip "$BUS_LAUNCHER is missing (install at-spi2-core)"
e2e_begin screen_reader "$@"

step "start a private session bus and the accessibility bus"
dbus-daemon --session --nofork --address="unix:path=$WORK/bus" >"$WORK/dbus.log" 2>&1 &
E2E_CLEANUPS+=("kill $! 2>/dev/null")
export DBUS_SESSION_BUS_ADDRESS=unix:path=$WORK/bus
wait_for 10 test -S "$WORK/bus" || fail "the session bus did not start"
"$BUS_LAUNCHER" --launch-immediately >"$WORK/a11y-bus.log" 2>&1 &
E2E_CLEANUPS+=("kill $! 2>/dev/null")
accessibility_bus_up() {
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
        >/dev/null 2>&1
}
wait_for 10 accessibility_bus_up || fail "the accessibility bus did not start"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

step "prepare two records (the second without a phone), the lists and a submission"
prepare_appdata
printf '123456' >"$DATA/provider.txt"
printf 'Cedar Point,X,90001,90002\r\nRiverton,Y,90010\r\n' >"$DATA/cmcityzip.txt"
printf 'Dr. Alice Brown\r\nDr. Omar Haddad\r\n' >"$DATA/physician.txt"
{
    record DateTaken=10012025 LastName=Okafor FirstName=Chidi DateOfBirth=02112020 Sex=M \
        StreetNumber=12 StreetName="Main Street" City="Cedar Point" Zip=90001 \
        PhoneAreaCode=555 PhoneNumber=222-3333 RaceCode=7 Ancestry=19 AnalysisDate=10022025 \
        PbResult=5.0 BelowDetection=0 TestType=V ProviderCode=123456 Physician="Dr. Alice Brown" \
        AnalysisMethod=HHLA
    record DateTaken=10032025 LastName=Novak FirstName=Eva DateOfBirth=07302018 Sex=F \
        StreetNumber=7 StreetName="Lake Road" City=Riverton Zip=90010 RaceCode=3 Ancestry=20 \
        AnalysisDate=10032025 PbResult="" BelowDetection=1 TestType=C ProviderCode=123456 AnalysisMethod=HHLA
} >"$DATA/Korvanel.dat"
# A submission file and a file of another kind fill both lists of the submission history.
mkdir -m 700 "$APP/Submit"
head -c 198 "$DATA/Korvanel.dat" >"$APP/Submit/Lead_123456_20251006_101500_0001.txt"
printf 'note\r\n' >"$APP/Submit/notes.txt"

# The program's first connection to a busy Xvfb now and then fails ("could not connect to
# display") while another client polls the server: that is the test bed, so start it again.
start_program_on_display() {
    local attempt
    for attempt in 1 2 3; do
        "$APP/korvanel" >"$WORK/attempt.log" 2>&1 &
        PROGRAM_PID=$!
        PROGRAM_PIDS+=("$PROGRAM_PID")
        wait_for "$E2E_TIMEOUT" main_window_or_ended
        cat "$WORK/attempt.log" >>"$WORK/program.log"
        process_ended "$PROGRAM_PID" || return 0
        grep -q 'could not connect to display' "$WORK/attempt.log" || fail "the program ended at start"
        echo "   (the program could not connect to the display; starting it again)"
    done
    fail "the program could not connect to the display $attempt times"
}
main_window_or_ended() { process_ended "$PROGRAM_PID" || [ -n "$(windows_named "^$MAIN_TITLE_PREFIX")" ]; }

# hears TITLE CAPTION...: every focusable control of that window is named by its caption, in the
# window's order.
hears() {
    local title=$1 status=0
    shift
    "${READER[@]}" "$title" "$@" || status=$?
    [ $status = 2 ] && fail "the window \"$title\" cannot be read through AT-SPI"
    [ $status = 0 ] || fail "a screen reader does not hear every control of \"$title\" by its caption"
}

step "the main window on record 1"
start_program_on_display
find_main_window
expect_title_end "(Record 1 of 2)"
hears "$(main_title)" \
    "Date Taken:" "Today's Date for Date Taken" "Last Name:" "First Name:" "Middle Initial:" \
    "Date of Birth:" "Male" "Female" \
    "Street Number:" "Street Name:" "Apt Number:" "City:" "City" "Zip Code:" "Zip Code" \
    "Parents Last:" "Parents First:" "Phone:" \
    "Capillary" "Venous" "Analysis Date:" "Today's Date for Analysis Date" "Pb Result" \
    "Pb Result" "Low Result" "High Result" "Physician:" "Physician" "Provider Code:" \
    "Change Provider Code" "Analysis Method:" \
    "Race:" "Ancestry:" \
    "New Record" "Delete Record" "Update Record" "Previous" "Next" "Print Record" \
    "Create Electronic File" "Exit"

step "the provider-code dialog"
focus_main
click cmdChangeProviderCode
DIALOG=$(find_window '^Update Provider Code$') || fail "the provider-code dialog did not open"
hears "Update Provider Code" "Provider Code:" OK Cancel
click CancelButton "$DIALOG"
wait_for "$E2E_TIMEOUT" box_closed "$DIALOG" || fail "the provider-code dialog did not close"

step "Find Record"
focus_main
press ctrl+f
DIALOG=$(find_window '^Find Record$') || fail "no \"Find Record\" dialog appeared"
hears "Find Record" "Find:" Records
xdotool windowfocus --sync "$DIALOG" && press Escape
wait_for "$E2E_TIMEOUT" box_closed "$DIALOG" || fail "Find Record did not close"

step "Check All Records"
focus_main
press ctrl+k
DIALOG=$(find_window '^Check All Records$') || fail "no \"Check All Records\" dialog appeared"
hears "Check All Records" Problems
xdotool windowfocus --sync "$DIALOG" && press Escape
wait_for "$E2E_TIMEOUT" box_closed "$DIALOG" || fail "Check All Records did not close"

step "Submission History"
focus_main
press alt+s h
DIALOG=$(find_window '^Submission History$') || fail "no \"Submission History\" dialog appeared"
hears "Submission History" "Find:" "Submission files" "Other files" Records "Print List" \
    "Export to CSV" Close
xdotool windowfocus --sync "$DIALOG" && press Escape
wait_for "$E2E_TIMEOUT" box_closed "$DIALOG" || fail "Submission History did not close"

step "the Operator's Guide"
focus_main
press F1
DIALOG=$(find_window "^Operator's Guide\$") || fail "the Operator's Guide did not open"
hears "Operator's Guide" "Operator's Guide" Close
