# Journey: a second copy started from the same folder while the first runs shows only
# "The program is already running..." and ends; the first copy goes on untouched.
. "$(dirname "$0")/lib.sh"
e2e_begin second_copy "$@"

step "prepare one record and start the first copy"
prepare_appdata
printf '123456' >"$DATA/provider.txt"
record DateTaken=08112025 LastName=Ito FirstName=Ken DateOfBirth=01202016 Sex=M StreetNumber=5 \
    StreetName="River Road" City=Springfield Zip=90002 ParentsLast=Ito PhoneAreaCode=555 \
    PhoneNumber=999-0000 RaceCode=4 Ancestry=00 AnalysisDate=08122025 PbResult=7.1 \
    BelowDetection=0 TestType=V ProviderCode=123456 AnalysisMethod=HHLA >"$WORK/expected.dat"
cp "$WORK/expected.dat" "$DATA/Korvanel.dat"
start_program
first=$PROGRAM_PID
find_main_window
expect_title_end "(Record 1 of 1)"
title=$(main_title)

step "start a second copy: the \"Korvanel CM\" box"
start_program
second=$PROGRAM_PID
find_window '^Korvanel CM$' >/dev/null || fail "no \"Korvanel CM\" box appeared"
[ "$(windows_named "^$MAIN_TITLE_PREFIX" | wc -l)" = 1 ] || fail "a second main window appeared"
screenshot

step "answer the box: the second copy ends, the first runs on untouched"
answer_box "Korvanel CM"
expect_program_ended "$second"
expect_program_running "$first"
[ "$(main_title)" = "$title" ] || fail "the first copy's title changed to \"$(main_title)\""
expect_file "$DATA/Korvanel.dat" "$WORK/expected.dat"

step "the first copy still takes input: Next gives its \"Last Record\" box, Exit ends it"
click cmdNext
answer_box "Last Record"
click cmdExit
expect_program_ended "$first"
expect_file "$DATA/Korvanel.dat" "$WORK/expected.dat"
