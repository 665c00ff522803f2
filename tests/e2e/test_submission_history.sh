# Journey: with three submission files in Submit, the Submissions menu opens "Submission
# History"; typing a name finds the record and selects the file that holds it, and "Export to
# CSV..." saves that file's records in the Documents folder under the file's name. Takes the
# README's picture of the history.
. "$(dirname "$0")/lib.sh"
e2e_begin submission_history "$@"

step "prepare three submission files and an empty data file"
prepare_appdata
printf '123456' >"$DATA/provider.txt"
mkdir -m 700 "$APP/Submit"
patient() {
    record DateTaken="$4" LastName="$1" FirstName="$2" DateOfBirth="$3" Sex=F StreetNumber=12 \
        StreetName="Main Street" City=Springfield Zip=90001 PhoneAreaCode=555 \
        PhoneNumber=222-3333 RaceCode=1 Ancestry=00 AnalysisDate="$4" PbResult=5.0 \
        BelowDetection=0 TestType=V ProviderCode=123456 AnalysisMethod=HHLA
}
{
    patient Okafor Chidi 02112020 01062025
    patient Garcia Maria 04152019 01062025
} >"$APP/Submit/Lead_123456_20250107_101500_0001.txt"
{
    patient Novak Eva 07302018 02032025
    patient Smith Anna 07042019 02032025
    patient Nguyen Li 11302021 02042025
} >"$APP/Submit/Lead_123456_20250205_141000_0002.txt"
patient Haddad Omar 03032017 03102025 >"$APP/Submit/Lead_123456_20250311_090500_0003.txt"
(cd "$APP/Submit" && sha256sum Lead_*) >"$WORK/submit.sums"
# The save dialog starts in the user's Documents folder.
export HOME=$WORK/home
mkdir -p "$HOME/Documents"

step "start with an empty data file: a new record"
start_program
find_main_window
expect_title_end "(Record 1 of 1)"
focus_main

step "Submissions > Submission History opens during the new record"
press alt+s h
DIALOG=$(find_window "^Submission History\$") || fail "no \"Submission History\" window appeared"
xdotool windowfocus --sync "$DIALOG" || fail "cannot focus the history"

step "type a name: the record is found in the second file"
type_text novak
screenshot submission-history-all
import -window "$DIALOG" "$SCREENS/submission-history.png" || fail "cannot take the history's picture"

step "Export to CSV saves the file that holds it"
press alt+e
SAVE=$(find_window "^Export to CSV\$") || fail "no save dialog appeared"
xdotool windowfocus --sync "$SAVE" || fail "cannot focus the save dialog"
press Return
csv=$HOME/Documents/Lead_123456_20250205_141000_0002.csv
wait_for "$E2E_TIMEOUT" test -s "$csv" || fail "no $csv; Documents holds: $(ls -A "$HOME/Documents")"
[ "$(stat -c %a "$csv")" = 600 ] || fail "the CSV file is mode $(stat -c %a "$csv"), not 600"
[ "$(grep -c $'\r$' "$csv")" = 4 ] || fail "the CSV file should hold a header and three records"
grep -q '^02/03/2025,Novak,Eva,' "$csv" || fail "Novak's record is not in the CSV file"
[ "$(ls -A "$HOME/Documents")" = "$(basename "$csv")" ] || fail "Documents holds more: $(ls -A "$HOME/Documents")"

step "close the history: Submit is as it was"
xdotool windowfocus --sync "$DIALOG" || fail "cannot focus the history"
press Escape
wait_for "$E2E_TIMEOUT" box_closed "$DIALOG" || fail "the history did not close"
(cd "$APP/Submit" && sha256sum -c --quiet "$WORK/submit.sums") || fail "a file in Submit changed"
[ "$(ls -A "$APP/Submit" | wc -l)" = 3 ] || fail "Submit holds more files: $(ls -A "$APP/Submit")"
expect_program_running
