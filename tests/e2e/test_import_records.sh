# Journey: Records > Import Records (Ctrl+I) on a spreadsheet file with one bad date imports
# nothing and names the row, the column and the date; the mended file imports every row, and the
# main window shows the first record imported. Takes the picture of the problem list.
. "$(dirname "$0")/lib.sh"
e2e_begin import_records "$@"

step "prepare a data file of two records and a spreadsheet file of two more"
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
} >"$DATA/Korvanel.dat"
cp "$DATA/Korvanel.dat" "$WORK/stored.dat"
# The file chooser starts in the user's Documents folder.
export HOME=$WORK/home
mkdir -p "$HOME/Documents"
csv=$HOME/Documents/health-fair.csv
header='Date Taken,Last Name,First Name,Middle Initial,Date of Birth,Sex Code,Sex,Street Number,'
header+='Street Name,Apt Number,City,Zip Code,Parents First,Parents Last,Phone Area Code,'
header+='Phone Number,Race Code,Race,Ancestry Code,Ancestry,Analysis Date,Pb Result,'
header+='Below Detection,Test Type Code,Test Type,Provider Code,Physician,Analysis Method'
{
    printf '%s\r\n' "$header"
    printf '%s\r\n' '10/20/2025,Adams,Bo,,01/02/2020,M,Male,3,"Oak Lane, Rear",,Springfield,90001,,,555,111-2222,1,Black (1),00,Non-Hispanic (00),10/21/2025,4.5,0,V,Venous,,,HHLA'
    printf '%s\r\n' '10/20/2025,Baker,Cy,,02/30/2020,F,Female,9,Elm Street,,Riverton,90011,,,555,333-4444,,,,,10/21/2025,,1,C,Capillary,123456,,'
} >"$csv"

step "start: record 1 of 2"
start_program
find_main_window
expect_title_end "(Record 1 of 2)"
focus_main

# import_file: Ctrl+I, then the file's name typed into "Choose a File to Import".
import_file() {
    focus_main
    press ctrl+i
    local chooser
    chooser=$(find_window "^Choose a File to Import\$") || fail "no file chooser appeared"
    xdotool windowfocus --sync "$chooser" || fail "cannot focus the file chooser"
    type_text "$(basename "$csv")"
    press Return
    wait_for "$E2E_TIMEOUT" box_closed "$chooser" || fail "the file chooser did not close"
    DIALOG=$(find_window "^Import Records\$") || fail "no \"Import Records\" window appeared"
    xdotool windowfocus --sync "$DIALOG" || fail "cannot focus \"Import Records\""
}

step "the file with a bad date: its problem is listed and nothing is imported"
import_file
screenshot import-records-all
import -window "$DIALOG" "$SCREENS/import-records.png" || fail "cannot take the window's picture"
press Escape
wait_for "$E2E_TIMEOUT" box_closed "$DIALOG" || fail "\"Import Records\" did not close"
expect_file "$DATA/Korvanel.dat" "$WORK/stored.dat"
expect_title_end "(Record 1 of 2)"

step "the mended file: Import appends both rows and shows the first"
sed -i 's|02/30/2020|02/20/2020|' "$csv"
import_file
press Return
wait_for "$E2E_TIMEOUT" box_closed "$DIALOG" || fail "\"Import Records\" did not close"
expect_title_end "(Record 3 of 4)"
{
    cat "$WORK/stored.dat"
    record DateTaken=10202025 LastName=Adams FirstName=Bo DateOfBirth=01022020 Sex=M \
        StreetNumber=3 StreetName="Oak Lane, Rear" City=Springfield Zip=90001 PhoneAreaCode=555 \
        PhoneNumber=111-2222 RaceCode=1 Ancestry=00 AnalysisDate=10212025 PbResult=4.5 \
        BelowDetection=0 TestType=V ProviderCode=123456 AnalysisMethod=HHLA
    record DateTaken=10202025 LastName=Baker FirstName=Cy DateOfBirth=02202020 Sex=F \
        StreetNumber=9 StreetName="Elm Street" City=Riverton Zip=90011 PhoneAreaCode=555 \
        PhoneNumber=333-4444 RaceCode=7 Ancestry=19 AnalysisDate=10212025 PbResult="" \
        BelowDetection=1 TestType=C ProviderCode=123456 AnalysisMethod=HHLA
} >"$WORK/imported.dat"
expect_file "$DATA/Korvanel.dat" "$WORK/imported.dat"
