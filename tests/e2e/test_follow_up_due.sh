# Journey: Records > Follow-Up Due (Ctrl+Shift+D) over the data file and a file in Submit: the
# children due in the order of their due dates, exported to CSV through the real save dialog;
# Enter on a stored record's row shows that record; Enter on a sent record's row names its file.
# Takes the README's picture of the window.
. "$(dirname "$0")/lib.sh"
e2e_begin follow_up_due "$@"

day() { date -d "$1" +%m%d%Y; }
step "prepare three stored records and one sent record"
prepare_appdata
printf '123456' >"$DATA/provider.txt"
patient() {
    record LastName="$1" FirstName="$2" DateOfBirth="$3" Sex=F StreetNumber=7 \
        StreetName="Lake Road" City=Lakeside Zip=90020 PhoneAreaCode=555 PhoneNumber=444-5555 \
        RaceCode=3 Ancestry=00 DateTaken="$4" AnalysisDate="$4" PbResult="$5" \
        BelowDetection="$6" TestType="$7" ProviderCode=123456 AnalysisMethod=HHLA
}
{
    patient Okafor Chidi 02112020 "$(day '10 days ago')" "" 1 V    # a Low Result: not listed
    patient Novak Eva 07302018 "$(day '45 days ago')" 12.0 0 C     # due a month after: overdue
    patient Garcia Maria 04152019 "$(day '5 days ago')" 5.0 0 V    # due in about 3 months
} >"$DATA/Korvanel.dat"
mkdir -p "$APP/Submit"
chmod 700 "$APP/Submit"
sent=Lead_123456_20260101_090000_0001.txt
patient Smith Anna 07042019 "$(day '3 days ago')" 66.0 0 V >"$APP/Submit/$sent"
export HOME=$WORK/home
mkdir -p "$HOME/Documents"

step "start: record 1 of 3"
start_program
find_main_window
expect_title_end "(Record 1 of 3)"
focus_main

step "Ctrl+Shift+D opens Follow-Up Due"
press ctrl+shift+d
DIALOG=$(find_window "^Follow-Up Due\$") || fail "no \"Follow-Up Due\" window appeared"
xdotool windowfocus --sync "$DIALOG" || fail "cannot focus the list"
screenshot follow-up-due-all
import -window "$DIALOG" "$SCREENS/follow-up-due.png" || fail "cannot take the list's picture"

step "Export to CSV: the children due, earliest first"
press alt+e
SAVE=$(find_window "^Export to CSV\$") || fail "no save dialog appeared"
xdotool windowfocus --sync "$SAVE" || fail "cannot focus the save dialog"
press Return
csv=$HOME/Documents/Korvanel_FollowUp_$(date +%Y%m%d).csv
wait_for "$E2E_TIMEOUT" test -s "$csv" || fail "no $csv; Documents holds: $(ls -A "$HOME/Documents")"
[ "$(stat -c %a "$csv")" = 600 ] || fail "the CSV file is mode $(stat -c %a "$csv"), not 600"
names=$(tail -n +2 "$csv" | cut -d, -f1 | tr -d '\r' | paste -sd' ')
[ "$names" = "Novak Smith Garcia" ] || fail "the CSV file lists \"$names\"; expected Novak Smith Garcia"
grep -q '^Novak,Eva,07/30/2018,"12.0 capillary, [0-9/]*",Venous confirmation,[0-9/]*,Overdue [0-9]* days' "$csv" ||
    fail "Novak's row reads: $(grep Novak "$csv")"

step "Down to the sent record, Enter: a message names its file; the list stays"
xdotool windowfocus --sync "$DIALOG" || fail "cannot focus the list"
press Down Return
BOX=$(find_window "^Record Already Sent\$") || fail "no \"Record Already Sent\" box appeared"
answer_box "Record Already Sent"
expect_title_end "(Record 1 of 3)"

step "Up to the first row, Enter: record 2 (Novak) is shown"
xdotool windowfocus --sync "$DIALOG" || fail "cannot focus the list"
press Up Return
wait_for "$E2E_TIMEOUT" box_closed "$DIALOG" || fail "the list did not close"
expect_title_end "(Record 2 of 3)"
expect_program_running
