# Journey: a new record typed for a patient and sample already sent to the state is saved with
# Update, and one "Possible Duplicate" box says in which submission file; the record is stored as
# typed all the same.
. "$(dirname "$0")/lib.sh"
e2e_begin duplicate_warning "$@"

step "prepare one stored record and one submission file"
prepare_appdata
printf '123456' >"$DATA/provider.txt"
record DateTaken=10012025 LastName=Okafor FirstName=Chidi DateOfBirth=02112020 Sex=M \
    StreetNumber=12 StreetName="Main Street" City=Springfield Zip=90001 PhoneAreaCode=555 \
    PhoneNumber=222-3333 RaceCode=1 Ancestry=00 AnalysisDate=10022025 PbResult=5.0 \
    BelowDetection=0 TestType=V ProviderCode=123456 AnalysisMethod=HHLA >"$DATA/Korvanel.dat"
mkdir -m 700 "$APP/Submit"
SENT=Lead_123456_20250105_093000_0007.txt
record DateTaken=11032025 LastName=GARCIA FirstName=MARIA DateOfBirth=04152019 Sex=F \
    ProviderCode=123456 AnalysisMethod=HHLA >"$APP/Submit/$SENT"

step "start, New, type the patient's dates and names"
start_program
find_main_window
expect_title_end "(Record 1 of 1)"
click cmdNew
expect_title_end "(Record 2 of 2)"
focus_main
type_text 11032025
press Tab
type_text Garcia
press Tab
type_text Maria
press Tab Tab
type_text 04152019
press Tab

step "Update: the record is saved, then one \"Possible Duplicate\" box names the file"
click cmdUpdate
BOX=$(find_window "^Possible Duplicate\$") || fail "no \"Possible Duplicate\" box appeared"
wait_for "$E2E_TIMEOUT" file_size_is "$DATA/Korvanel.dat" 396 || fail "the record was not saved"
screenshot duplicate-warning
answer_box "Possible Duplicate"
expect_title_end "(Record 2 of 2)"
expect_no_box "Possible Duplicate"
expected=$(printf '%-8s%-20s%-12s%-1s%-8s' 11032025 Garcia Maria "" 04152019)
[ "$(dd if="$DATA/Korvanel.dat" bs=1 skip=198 count=49 2>/dev/null)" = "$expected" ] ||
    fail "the new record does not hold what was typed"
