# Journey: the record commands on a file of two records: Previous on record 1 and Next on the
# last one, New and Cancel, Delete answered No and then Yes, and New followed by Exit with
# nothing typed, which stores the blank record with its default codes.
. "$(dirname "$0")/lib.sh"
e2e_begin navigation "$@"

step "prepare a data file of two records"
prepare_appdata
printf '123456' >"$DATA/provider.txt"
record DateTaken=10012025 LastName=Okafor FirstName=Chidi DateOfBirth=02112020 Sex=M \
    StreetNumber=12 StreetName="Main Street" City=Springfield Zip=90001 ParentsLast=Okafor \
    PhoneAreaCode=555 PhoneNumber=222-3333 RaceCode=1 Ancestry=00 AnalysisDate=10022025 \
    PbResult=5.0 BelowDetection=0 TestType=V ProviderCode=123456 AnalysisMethod=HHLA \
    >"$WORK/first.dat"
record DateTaken=10032025 LastName=Novak FirstName=Eva DateOfBirth=07302018 Sex=F \
    StreetNumber=7 StreetName="Lake Road" City=Lakeside Zip=90020 ParentsLast=Novak \
    PhoneAreaCode=555 PhoneNumber=444-5555 RaceCode=3 Ancestry=20 AnalysisDate=10032025 \
    PbResult="" BelowDetection=1 TestType=C ProviderCode=123456 Physician="Dr. Alice Brown" \
    AnalysisMethod=HHLA >"$WORK/second.dat"
cat "$WORK/first.dat" "$WORK/second.dat" >"$DATA/Korvanel.dat"
cp "$DATA/Korvanel.dat" "$WORK/both.dat"

step "start: record 1 of 2"
start_program
find_main_window
expect_title_end "(Record 1 of 2)"

step "Previous on record 1: the \"First Record\" box"
click cmdPrevious
answer_box "First Record"
expect_title_end "(Record 1 of 2)"

step "Next to record 2, Next again: the \"Last Record\" box"
click cmdNext
expect_title_end "(Record 2 of 2)"
click cmdNext
answer_box "Last Record"
expect_title_end "(Record 2 of 2)"

step "New, then Cancel: back on the last stored record, nothing added"
click cmdNew
expect_title_end "(Record 3 of 3)"
click cmdDelete
expect_title_end "(Record 2 of 2)"
expect_file "$DATA/Korvanel.dat" "$WORK/both.dat"

step "Delete answered No: nothing changes"
click cmdDelete
answer_box "Delete Record Confirmation" alt+n
expect_title_end "(Record 2 of 2)"
expect_file "$DATA/Korvanel.dat" "$WORK/both.dat"

step "Delete answered Yes: record 2 is removed"
click cmdDelete
answer_box "Delete Record Confirmation"
expect_title_end "(Record 1 of 1)"
wait_for "$E2E_TIMEOUT" file_size_is "$DATA/Korvanel.dat" 198 || fail "the data file did not shrink"
expect_file "$DATA/Korvanel.dat" "$WORK/first.dat"

step "New, then Exit with nothing typed: the blank record is stored"
click cmdNew
expect_title_end "(Record 2 of 2)"
screenshot
click cmdExit
expect_program_ended
{ cat "$WORK/first.dat"; blank_new_record 123456; } >"$WORK/expected.dat"
expect_file "$DATA/Korvanel.dat" "$WORK/expected.dat"
