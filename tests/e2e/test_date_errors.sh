# Journey: the date checks as the operator leaves the date boxes. A date of birth in the future
# is refused and kept for correction; a date taken before the date of birth is refused and
# emptied. The record stored afterwards shows what the boxes were left holding.
. "$(dirname "$0")/lib.sh"
e2e_begin date_errors "$@"

step "start on an empty data file"
prepare_appdata
printf '123456' >"$DATA/provider.txt"
start_program
find_main_window
expect_title_end "(Record 1 of 1)"
focus_main

step "leave Date Taken empty and type the names"
press Tab
type_text Lee
press Tab
type_text Kim
press Tab Tab

step "a date of birth in the future: \"Date Entry Error\", the entry is kept"
# Two weeks ahead of the clock the program reads.
future=$(date -d '+14 days' +%m%d%Y)
type_text "$future"
press Tab
answer_box "Date Entry Error"
# The box kept the date, so leaving it again gives the same message.
focus_main
press Tab
answer_box "Date Entry Error"

step "correct the date of birth: no message"
focus_main
press ctrl+a BackSpace
type_text 04152019
press Tab

step "a date taken before the date of birth: \"Date Entry Error\", the box is emptied"
# A click puts the cursor where the pointer is; Home takes it to the first digit.
click mskDateTaken
focus_main
press Home
type_text 03012019
press Tab
find_window '^Date Entry Error$' >/dev/null || fail "no \"Date Entry Error\" box appeared"
screenshot "$JOURNEY-message"
answer_box "Date Entry Error"

step "leave the emptied Date Taken box and type an analysis date: no message"
focus_main
press Tab
# The emptied box is marked as missing; the corrected date of birth is not.
expect_highlighted mskDateTaken
expect_not_highlighted mskDateOfBirth
click mskAnalysisDate
focus_main
press Home
type_text 11052025
press Tab

step "Update Record: the stored record shows what the date boxes held"
click cmdUpdate
wait_for "$E2E_TIMEOUT" file_size_is "$DATA/Korvanel.dat" 198 ||
    fail "the data file did not grow to one record"
expect_no_box "Date Entry Error"
record LastName=Lee FirstName=Kim DateOfBirth=04152019 Sex=F ParentsLast=Lee RaceCode=7 \
    Ancestry=19 AnalysisDate=11052025 BelowDetection=0 TestType=C ProviderCode=123456 \
    AnalysisMethod=HHLA >"$WORK/expected.dat"
expect_file "$DATA/Korvanel.dat" "$WORK/expected.dat"
screenshot

step "Exit"
click cmdExit
expect_program_ended
expect_file "$DATA/Korvanel.dat" "$WORK/expected.dat"
