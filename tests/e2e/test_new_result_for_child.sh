# Journey: Records > New Result for This Child (Ctrl+Shift+N) on a stored record: the record shown
# is saved, a new record 2 of 2 starts with the child's fields, the operator types the new test's
# date, analysis date and result, and Update Record stores the child with the new test. While the
# new record is entered the key does nothing; Cancel drops a second one.
. "$(dirname "$0")/lib.sh"
e2e_begin new_result_for_child "$@"

today=$(date +%m%d%Y)
step "prepare a data file of one record and the city list"
prepare_appdata
printf '123456' >"$DATA/provider.txt"
printf 'Springfield,X,90210,90211\r\nOgdenville,Y,90300\r\n' >"$DATA/cmcityzip.txt"
child=(LastName=Okafor FirstName=Chidi MiddleInitial=Q DateOfBirth=02112020 Sex=M
    StreetNumber=1420 StreetName="Elm Street" AptNumber=12 City=Springfield Zip=90211
    ParentsFirst=Ada ParentsLast=Okafor-Ude PhoneAreaCode=555 PhoneNumber=222-3333 RaceCode=1
    Ancestry=20 Physician="Dr. Who")
record DateTaken=10012025 "${child[@]}" AnalysisDate=10022025 PbResult=12.0 BelowDetection=0 \
    TestType=C ProviderCode=123456 AnalysisMethod=HHLA >"$DATA/Korvanel.dat"
cp "$DATA/Korvanel.dat" "$WORK/first.dat"

step "start: record 1 of 1"
start_program
find_main_window
expect_title_end "(Record 1 of 1)"
focus_main

step "Ctrl+Shift+N: a new record 2 of 2 for the same child"
press ctrl+shift+n
expect_title_end "(Record 2 of 2)"
# The record shown was saved first, unchanged.
expect_file "$DATA/Korvanel.dat" "$WORK/first.dat"
screenshot new-result-for-child

step "Ctrl+Shift+N again while the new record is entered: nothing"
press ctrl+shift+n
sleep 0.5
expect_title_end "(Record 2 of 2)"

step "type the new test: date taken, analysis date, a venous result of 4.0"
click mskDateTaken
type_text "$today"
click mskAnalysisDate
type_text "$today"
click optVenous
click txtPb
type_text 4.0
click cmdUpdate
{
    cat "$WORK/first.dat"
    record DateTaken="$today" "${child[@]}" AnalysisDate="$today" PbResult=4.0 BelowDetection=0 \
        TestType=V ProviderCode=123456 AnalysisMethod=HHLA
} >"$WORK/two.dat"
wait_for "$E2E_TIMEOUT" file_size_is "$DATA/Korvanel.dat" 396 || fail "record 2 was not stored"
expect_file "$DATA/Korvanel.dat" "$WORK/two.dat"
expect_title_end "(Record 2 of 2)"

step "Ctrl+Shift+N, then Cancel: the new record is dropped"
focus_main
press ctrl+shift+n
expect_title_end "(Record 3 of 3)"
click cmdDelete
expect_title_end "(Record 2 of 2)"
expect_file "$DATA/Korvanel.dat" "$WORK/two.dat"
expect_program_running
