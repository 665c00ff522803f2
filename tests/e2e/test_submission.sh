# Journey: "Create Electronic File" over three records, the third without its street name: the
# pass stops there and writes nothing. The operator types the street name, updates and creates
# the file again: the submission file equals the data file, the counter advances, the data file
# is gone and the program ends after its report. Then the records are put back into the data file,
# as a crash between publishing the file and removing the data file leaves them: the next start
# asks to finish that submission, Yes (the default) empties the data file, and the window shows
# an empty first record. Last, a pass over 65,536 records shows its progress window, and clicks and
# keys meant for the main window meanwhile do nothing: every record is handed on.
. "$(dirname "$0")/lib.sh"
e2e_begin submission "$@"

step "prepare three records, the third without its street name"
prepare_appdata
printf '123456' >"$DATA/provider.txt"
complete() {
    record DateTaken=09022025 LastName="$1" FirstName="$2" DateOfBirth=05052017 Sex=F \
        StreetNumber=88 StreetName="$3" City=Riverton Zip=90010 ParentsLast="$1" \
        PhoneAreaCode=555 PhoneNumber=777-8888 RaceCode=6 Ancestry=19 AnalysisDate=09032025 \
        PbResult=4.5 BelowDetection=0 TestType=C ProviderCode=123456 AnalysisMethod=HHLA
}
{
    complete Adams Beth "Pine Lane"
    complete Brooks Carl "Hill Road"
    complete Chen Dana ""
} >"$DATA/Korvanel.dat"
cp "$DATA/Korvanel.dat" "$WORK/incomplete.dat"

step "start: record 1 of 3"
start_program
find_main_window
expect_title_end "(Record 1 of 3)"

step "Create Electronic File: \"Record Incomplete Error\" on record 3, nothing written"
click cmdWriteEFile
answer_box "Record Incomplete Error"
expect_title_end "(Record 3 of 3)"
expect_file "$DATA/Korvanel.dat" "$WORK/incomplete.dat"
[ -z "$(ls -A "$APP/Submit")" ] || fail "Submit is not empty: $(ls "$APP/Submit")"
file_is_missing "$DATA/nextfile.txt" || fail "the counter file was written"
expect_program_running

step "type the street name into record 3 and Update Record"
click txtStreetName
focus_main
type_text "Bay Street"
click cmdUpdate
{
    complete Adams Beth "Pine Lane"
    complete Brooks Carl "Hill Road"
    complete Chen Dana "Bay Street"
} >"$WORK/expected.dat"
stored_as_expected() { cmp -s "$DATA/Korvanel.dat" "$WORK/expected.dat"; }
wait_for "$E2E_TIMEOUT" stored_as_expected || expect_file "$DATA/Korvanel.dat" "$WORK/expected.dat"
screenshot

step "Create Electronic File: the report box; the submission file equals the data file"
before=$(date +%Y%m%d%H%M%S)
click cmdWriteEFile
find_window '^Electronic Submission File Created$' >/dev/null || fail "no report box appeared"
screenshot "$JOURNEY-report"
after=$(date +%Y%m%d%H%M%S)
shopt -s nullglob
submitted=("$APP"/Submit/*)
[ ${#submitted[@]} = 1 ] || fail "Submit should hold one file; it holds: ${submitted[*]##*/}"
name=${submitted[0]##*/}
[[ "$name" =~ ^Lead_123456_([0-9]{8})_([0-9]{6})_0001\.txt$ ]] ||
    fail "the submission file's name is $name"
stamp=${BASH_REMATCH[1]}${BASH_REMATCH[2]}
[ "$stamp" -ge "$before" ] && [ "$stamp" -le "$after" ] ||
    fail "the time in $name lies outside $before to $after"
expect_file "${submitted[0]}" "$WORK/expected.dat"
[ "$(stat -c %a "${submitted[0]}")" = 600 ] || fail "$name is not owner-only"
expect_bytes "$DATA/nextfile.txt" '2     '
file_is_missing "$DATA/Korvanel.dat" || fail "the data file is still there"
expect_program_running

step "close the report: the program ends"
answer_box "Electronic Submission File Created"
expect_program_ended
file_is_missing "$DATA/Korvanel.dat" || fail "the data file came back"

step "records in the data file and in the newest submission file: the start asks to finish"
cp "${submitted[0]}" "$DATA/Korvanel.dat"
chmod 600 "$DATA/Korvanel.dat"
start_program
answer_box "Unfinished Electronic File"
find_main_window
expect_title_end "(Record 1 of 1)"
expect_bytes "$DATA/Korvanel.dat" ''
expect_file "${submitted[0]}" "$WORK/expected.dat"
expect_bytes "$DATA/nextfile.txt" '2     '
screenshot "$JOURNEY-finished"

step "Exit saves the record shown: an empty first record"
click cmdExit
expect_program_ended
wait_for "$E2E_TIMEOUT" file_size_is "$DATA/Korvanel.dat" 198 || fail "Exit saved no record"
[ -z "$(head -c 49 "$DATA/Korvanel.dat" | tr -d ' ')" ] ||
    fail "the record shown was not empty: $(head -c 49 "$DATA/Korvanel.dat")"

step "65,536 records: the pass shows its progress and takes no input meanwhile"
complete Adams Beth "Pine Lane" >"$WORK/long.dat"
for _ in $(seq 16); do
    cat "$WORK/long.dat" "$WORK/long.dat" >"$WORK/double.dat"
    mv "$WORK/double.dat" "$WORK/long.dat"
done
cp "$WORK/long.dat" "$DATA/Korvanel.dat"
chmod 600 "$DATA/Korvanel.dat"
start_program
answer_box "Record Limit Notification"
find_main_window
click cmdWriteEFile
progress=$(find_window '^Create Electronic File$') || fail "no progress window appeared"
screenshot "$JOURNEY-progress"
click cmdDelete
click cmdNew
press alt+x
xwininfo -id "$progress" 2>/dev/null | grep -q IsViewable ||
    echo "note: the pass ended before the clicks; they met the report box instead"
find_window '^Electronic Submission File Created$' >/dev/null || fail "no report box appeared"
expect_no_box "Delete Record Confirmation"
box_closed "$progress" || fail "the progress window is still open"
expect_file "$APP/Submit/$(ls "$APP/Submit" | grep '_0002\.txt$')" "$WORK/long.dat"
answer_box "Electronic Submission File Created"
expect_program_ended
