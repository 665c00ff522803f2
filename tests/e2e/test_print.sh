# Journey: "Print Record" with a CUPS PDF printer as the default printer: the printed page's
# text holds the heading, the record's position and one line per field of the stored record.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/cups.sh"
e2e_begin print "$@"
cups_requirements

step "start a private CUPS daemon with a default PDF printer"
start_private_cups

step "prepare one record and start the program"
prepare_appdata
printf '123456' >"$DATA/provider.txt"
# A last name of this run only, to tell its page from any other in the shared PDF folder.
last_name=Print$(tr -dc 'a-z' </dev/urandom | head -c 8)
record DateTaken=07152025 LastName="$last_name" FirstName=Rosa MiddleInitial=Q \
    DateOfBirth=03032018 Sex=F StreetNumber=301 StreetName="Cedar Court" AptNumber=12 \
    City=Lakeside Zip=90020 ParentsFirst=Luis ParentsLast=Vega PhoneAreaCode=555 \
    PhoneNumber=321-9876 RaceCode=5 Ancestry=20 AnalysisDate=07162025 PbResult=22.0 \
    BelowDetection=0 TestType=C ProviderCode=123456 Physician="Dr. Alice Brown" \
    AnalysisMethod=HHLA >"$WORK/expected.dat"
cp "$WORK/expected.dat" "$DATA/Korvanel.dat"
start_program
find_main_window
expect_title_end "(Record 1 of 1)"

step "Print Record"
click cmdPrint
screenshot
our_page() {
    local pdf
    for pdf in "$CUPS_PDF_DIR"/*.pdf; do
        [ -f "$pdf" ] || continue
        if pdftotext -fixed 7.2 "$pdf" - 2>/dev/null | grep -q "$last_name"; then
            PAGE=$pdf
            return 0
        fi
    done
    return 1
}
wait_for 60 our_page || {
    lpstat -W all -o
    tail -n 20 "$CUPS/log/error_log"
    fail "no PDF with the record reached $CUPS_PDF_DIR"
}
E2E_CLEANUPS+=('rm -f "$PAGE"')
expect_file "$DATA/Korvanel.dat" "$WORK/expected.dat"

step "the page's text holds the record's lines"
plain() { printf '%10s%-25s%s\n' '' "$1" "$2"; }
coded() { printf '%10s%-18s[%s]%s%s\n' '' "$1" "$2" "$3" "$4"; }
{
    printf '%10sRecord:  1 of  1\n' ''
    plain "Date Taken:" "07/15/2025"
    plain "Last Name:" "$last_name"
    plain "First Name:" "Rosa"
    plain "Middle Initial:" "Q"
    plain "Date of Birth:" "03/03/2018"
    coded "Sex:" F '    ' Female
    plain "Street Number:" "301"
    plain "Street Name:" "Cedar Court"
    plain "Apartment Number:" "12"
    plain "City:" "Lakeside"
    plain "Zip Code:" "90020"
    plain "Parents Last:" "Vega"
    plain "Parents First:" "Luis"
    plain "Phone:" "(555) 321-9876"
    coded "Race:" 5 '    ' "American Indian - Alaskan Native (5)"
    coded "Ancestry:" 20 '   ' "Hispanic (20)"
    plain "Analysis Date:" "07/16/2025"
    plain "Pb Result:" "22.0"
    plain "Below Detection:" "0"
    coded "Test Type:" C '    ' Capillary
    plain "Provider Code:" "123456"
    plain "Physician:" "Dr. Alice Brown"
    plain "Analysis Method:" "HHLA"
} >"$WORK/expected-page.txt"
# The text without trailing blanks or empty lines, the page margin's columns removed: the
# heading's first letter stands in column 11 of the printed line.
pdftotext -fixed 7.2 "$PAGE" - | sed -e 's/\f//g' -e 's/[[:space:]]*$//' | grep -v '^$' |
    awk 'NR == 1 { margin = index($0, "Korvanel") - 11; if (margin < 0) margin = 0 }
         { print substr($0, margin + 1) }' >"$WORK/printed.txt"
heading=$(head -n 1 "$WORK/printed.txt")
[[ "$heading" =~ ^\ {10}Korvanel®\ II\ Blood\ Lead\ Result\ {12}[0-9]{2}/[0-9]{2}/[0-9]{4}\ [0-9]{2}:[0-9]{2}:[0-9]{2}\ (AM|PM)$ ]] ||
    fail "the heading reads \"$heading\""
tail -n +2 "$WORK/printed.txt" >"$WORK/printed-fields.txt"
diff -u "$WORK/expected-page.txt" "$WORK/printed-fields.txt" || fail "the printed lines differ"

step "Exit"
click cmdExit
expect_program_ended
expect_file "$DATA/Korvanel.dat" "$WORK/expected.dat"
