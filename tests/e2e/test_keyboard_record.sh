# Journey: an operator types one complete record with the keyboard in tab order, picks the city,
# zip, physician, race and ancestry from their lists, presses "Update Record"; then types a city
# of the list over the city (no choice: the zip stays) and a letter the record cannot hold (the
# box refuses it), presses "Update Record" and "Exit"; the data file then holds exactly that
# record. Also takes the README's two pictures of the window.
. "$(dirname "$0")/lib.sh"
e2e_begin keyboard_record "$@"

step "prepare the provider code, city and physician files"
prepare_appdata
printf '123456' >"$DATA/provider.txt"
printf 'Springfield,X,90001,90002\r\nRiverton,Y,90010,90011,90012\r\nLakeside,Z,90020\r\n' \
    >"$DATA/cmcityzip.txt"
printf 'Dr. Alice Brown\r\nDr. Omar Haddad\r\n' >"$DATA/physician.txt"

step "start on an empty data file: the first new record"
start_program
find_main_window
expect_title_end "(Record 1 of 1)"
focus_main

step "the empty mandatory fields are light yellow, the optional ones are not"
expect_highlighted mskDateTaken txtLastName txtFirstName mskDateOfBirth \
    txtStreetNumber txtStreetName mskPhone mskAnalysisDate txtPb
expect_not_highlighted txtMiddleInitial txtAptNumber txtParentsLast txtParentsFirst \
    txtProviderCode txtAnalysisMethod
import -window "$WIN" "$SCREENS/main-empty.png" || fail "cannot take the empty window's picture"

step "type the patient's dates and names"
# The focus starts in Date Taken; the masks supply the slashes.
type_text 11032025
press Tab
type_text Garcia
press Tab
type_text Maria
press Tab
type_text L
press Tab
type_text 04152019

step "choose Male with the arrow key in the sex group"
press Tab Left

step "type the address and choose Riverton and its zip 90011 from the lists"
press Tab
type_text 1420
press Tab
type_text "Elm Street"
press Tab
type_text 3B
press Tab
choose_from_list 1
press Tab
# The zip list offers an empty entry first, then 90010, 90011, 90012.
choose_from_list 2

step "keep the parent's last name filled in from the patient's, type the first name and phone"
press Tab Tab
type_text Ana
press Tab
type_text 5551234567

step "choose Venous, type the analysis date and the result"
press Tab Right Tab
type_text 11052025
# Tab stops at the selected "Pb Result:" option, then the result box.
press Tab Tab
type_text 12.5

step "choose the physician, race and ancestry from their lists"
press Tab
choose_from_list 1
press Tab
choose_from_list 2
press Tab
choose_from_list 1

step "Update Record"
click cmdUpdate
wait_for "$E2E_TIMEOUT" file_size_is "$DATA/Korvanel.dat" 198 ||
    fail "the data file did not grow to one record"
expect_title_end "(Record 1 of 1)"
record DateTaken=11032025 LastName=Garcia FirstName=Maria MiddleInitial=L DateOfBirth=04152019 \
    Sex=M StreetNumber=1420 StreetName="Elm Street" AptNumber=3B City=Riverton Zip=90011 \
    ParentsFirst=Ana ParentsLast=Garcia PhoneAreaCode=555 PhoneNumber=123-4567 RaceCode=4 \
    Ancestry=20 AnalysisDate=11052025 PbResult=12.5 BelowDetection=0 TestType=V \
    ProviderCode=123456 Physician="Dr. Omar Haddad" AnalysisMethod=HHLA >"$WORK/expected.dat"
expect_file "$DATA/Korvanel.dat" "$WORK/expected.dat"
focus_main
expect_not_highlighted mskDateTaken txtLastName txtFirstName mskDateOfBirth txtStreetNumber \
    txtStreetName mskPhone mskAnalysisDate txtPb
import -window "$WIN" "$SCREENS/main-filled.png" || fail "cannot take the filled window's picture"
screenshot

step "type a city of the list over the city and leave it: no choice, the zip stays"
click cboCity
press ctrl+a
type_text Springfield
press Tab

step "type letters the record holds and one it cannot into the parent's first name"
click txtParentsFirst
press ctrl+a
# The Greek letter is refused as it is typed; the Windows-1252 letters are kept.
type_text "Zoë Ω"

step "Update Record again"
click cmdUpdate
record DateTaken=11032025 LastName=Garcia FirstName=Maria MiddleInitial=L DateOfBirth=04152019 \
    Sex=M StreetNumber=1420 StreetName="Elm Street" AptNumber=3B City=Springfield Zip=90011 \
    ParentsFirst=$'Zo\xeb ' ParentsLast=Garcia PhoneAreaCode=555 PhoneNumber=123-4567 RaceCode=4 \
    Ancestry=20 AnalysisDate=11052025 PbResult=12.5 BelowDetection=0 TestType=V \
    ProviderCode=123456 Physician="Dr. Omar Haddad" AnalysisMethod=HHLA >"$WORK/expected.dat"
wait_for "$E2E_TIMEOUT" cmp -s "$DATA/Korvanel.dat" "$WORK/expected.dat"
expect_file "$DATA/Korvanel.dat" "$WORK/expected.dat"

step "Exit"
click cmdExit
expect_program_ended
expect_file "$DATA/Korvanel.dat" "$WORK/expected.dat"
