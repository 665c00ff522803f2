# Journey: on a file of three records, Ctrl+F opens "Find Record"; typing a name filters the list
# and Enter shows the record found. Takes the README's picture of the dialog.
. "$(dirname "$0")/lib.sh"
e2e_begin find_record "$@"

step "prepare a data file of three records"
prepare_appdata
printf '123456' >"$DATA/provider.txt"
{
    record DateTaken=10012025 LastName=Okafor FirstName=Chidi DateOfBirth=02112020 Sex=M \
        StreetNumber=12 StreetName="Main Street" City=Springfield Zip=90001 PhoneAreaCode=555 \
        PhoneNumber=222-3333 RaceCode=1 Ancestry=00 AnalysisDate=10022025 PbResult=5.0 \
        BelowDetection=0 TestType=V ProviderCode=123456 AnalysisMethod=HHLA
    record DateTaken=10032025 LastName=Novak FirstName=Eva DateOfBirth=07302018 Sex=F \
        StreetNumber=7 StreetName="Lake Road" City=Lakeside Zip=90020 PhoneAreaCode=555 \
        PhoneNumber=444-5555 RaceCode=3 Ancestry=20 AnalysisDate=10032025 PbResult="" \
        BelowDetection=1 TestType=C ProviderCode=123456 AnalysisMethod=HHLA
    record DateTaken=10052025 LastName=Garcia FirstName=Maria DateOfBirth=04152019 Sex=F \
        StreetNumber=1420 StreetName="Elm Street" City=Riverton Zip=90011 PhoneAreaCode=555 \
        PhoneNumber=123-4567 RaceCode=7 Ancestry=19 AnalysisDate="" PbResult=66.0 \
        BelowDetection=0 TestType=V ProviderCode=123456 AnalysisMethod=HHLA
} >"$DATA/Korvanel.dat"
cp "$DATA/Korvanel.dat" "$WORK/stored.dat"

step "start: record 1 of 3"
start_program
find_main_window
expect_title_end "(Record 1 of 3)"
focus_main

step "Ctrl+F opens Find Record with the focus in the filter box"
press ctrl+f
DIALOG=$(find_window "^Find Record\$") || fail "no \"Find Record\" dialog appeared"
xdotool windowfocus --sync "$DIALOG" || fail "cannot focus the dialog"
screenshot find-record-all
import -window "$DIALOG" "$SCREENS/find-record.png" || fail "cannot take the dialog's picture"

step "type a name and press Enter: the record found is shown"
type_text novak
press Return
wait_for "$E2E_TIMEOUT" box_closed "$DIALOG" || fail "the dialog did not close"
expect_title_end "(Record 2 of 3)"
# Going there saved the record shown, unchanged.
expect_file "$DATA/Korvanel.dat" "$WORK/stored.dat"

step "Ctrl+K lists the gap of record 3"
focus_main
press ctrl+k
DIALOG=$(find_window "^Check All Records\$") || fail "no \"Check All Records\" dialog appeared"
xdotool windowfocus --sync "$DIALOG" || fail "cannot focus the dialog"
import -window "$DIALOG" "$SCREENS/check-all-records.png" || fail "cannot take the dialog's picture"
press Return
wait_for "$E2E_TIMEOUT" box_closed "$DIALOG" || fail "the dialog did not close"
expect_title_end "(Record 3 of 3)"

step "70 typed into the result box, then Ctrl+F: the box's rule runs before the save"
focus_main
press ctrl+f
DIALOG=$(find_window "^Find Record\$") || fail "no \"Find Record\" dialog appeared"
xdotool windowfocus --sync "$DIALOG" || fail "cannot focus the dialog"
type_text okafor
press Return
wait_for "$E2E_TIMEOUT" box_closed "$DIALOG" || fail "the dialog did not close"
expect_title_end "(Record 1 of 3)"
focus_main
click txtPb
press ctrl+a
type_text 70
press ctrl+f
DIALOG=$(find_window "^Find Record\$") || fail "no \"Find Record\" dialog appeared"
xdotool windowfocus --sync "$DIALOG" || fail "cannot focus the dialog"
type_text novak
press Return
wait_for "$E2E_TIMEOUT" box_closed "$DIALOG" || fail "the dialog did not close"
expect_title_end "(Record 2 of 3)"
# Record 1 is stored as a High Result, as Update Record would have stored it.
{
    record DateTaken=10012025 LastName=Okafor FirstName=Chidi DateOfBirth=02112020 Sex=M \
        StreetNumber=12 StreetName="Main Street" City=Springfield Zip=90001 PhoneAreaCode=555 \
        PhoneNumber=222-3333 RaceCode=1 Ancestry=00 AnalysisDate=10022025 PbResult=66.0 \
        BelowDetection=0 TestType=V ProviderCode=123456 AnalysisMethod=HHLA
    tail -c +199 "$WORK/stored.dat"
} >"$WORK/high.dat"
expect_file "$DATA/Korvanel.dat" "$WORK/high.dat"
