# Bad input files under the real main window: each gives a clear message or a defined reading,
# never a crash or a hang (every run has a time limit). Prints one line per case: what the window
# showed. Cases: data files of odd lengths and bytes; a directory, a FIFO or a dangling link in
# place of each of the program's files and folders; odd provider codes, counters and city files.
set -u
tool="$KORVANEL_TOOLS_DIR/tool_operate"
seed="$KORVANEL_TOOLS_DIR/tool_seedfolder"
command -v timeout >/dev/null || { echo "SKIP: timeout is missing"; exit 77; }
[ -x "$tool" ] && [ -x "$seed" ] || { echo "FAIL: tools not built"; exit 1; }
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
limit=${KORVANEL_BAD_INPUT_TIMEOUT:-20}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
app="$work/app"
data="$app/AppData/Korvanel.dat"
failures=0
cases=0
fail() {
    echo "FAIL: $1"
    failures=$((failures + 1))
}

fresh() {
    rm -rf "$app"
    "$seed" "$app" "${1:-3}" "${2:-0}" && mkdir -p "$app/Submit" || fail "seeding"
}

# run NAME OPERATION [EXPECT...]: runs the window; a crash or a hang fails the case. Every EXPECT
# is an extended regular expression the output must match.
run() {
    local name=$1 operation=$2
    shift 2
    cases=$((cases + 1))
    timeout -s KILL "$limit" "$tool" "$app" "$operation" >"$work/out" 2>"$work/err"
    local rc=$?
    case $rc in
    0 | 3) ;;
    137) fail "$name: hung (killed after ${limit}s)"; return ;;
    *) fail "$name: exit $rc (crash?) $(tail -2 "$work/err")"; return ;;
    esac
    local expect
    for expect in "$@"; do
        grep -Eq -- "$expect" "$work/out" || fail "$name: no line matching '$expect' in: $(tr '\n' ' ' <"$work/out")"
    done
    local shown
    shown=$(grep -E '^(TITLE|PROVIDER|CITIES|MESSAGE|FINISHED|STARTED failed)' "$work/out" |
        sed -e 's/^TITLE .*(Record/(Record/' -e "s|$app|APP|g" | cut -c1-150 | tr '\n' ';')
    echo "case: $name -> $shown"
}

# Data file lengths: 0 is an empty file (first new record); otherwise the nearest whole count.
for length in 0 197 199 593 595; do
    fresh 3
    head -c "$length" "$app/AppData/Korvanel.dat" >"$work/cut" 2>/dev/null
    { cat "$work/cut"; head -c $((length > 594 ? length - 594 : 0)) /dev/zero | tr '\0' ' '; } >"$data"
    cp "$data" "$work/before"
    expected=$(((length * 2 / 198 + 1) / 2)) # nearest; none of these is an exact half
    [ "$expected" = 0 ] && expected=1
    run "data file of $length bytes" none "Record 1 of $expected\)"
    cmp -s "$work/before" "$data" || fail "data file of $length bytes: start-up changed it"
done

# Odd bytes inside a record: Latin-1 and UTF-8 letters are shown and saved back unchanged; a
# control character (NUL, LF, CR, TAB, ESC, DEL) is saved back as a blank, the line end kept.
for bytes in 'Sm\000th' 'M\351ller' 'M\303\274ller' 'Sm\nth' 'A\rB\tC\033D\177'; do
    fresh 1
    { printf '11302026'; printf "$bytes"; tail -c +$((8 + $(printf "$bytes" | wc -c) + 1)) "$data"; } >"$work/rec"
    head -c 198 "$work/rec" >"$data"
    { head -c 196 "$data" | tr '\000-\037\177' ' '; printf '\r\n'; } >"$work/expected"
    run "record holding $bytes" exit "FINISHED 0"
    cmp -s "$work/expected" "$data" || fail "record holding $bytes: saved back as $(od -c "$data" | head -3)"
done

# A directory, a FIFO or a dangling link in place of each file or folder of the program.
for target in AppData/Korvanel.dat AppData/Korvanel.tmp AppData/provider.txt AppData/physician.txt \
    AppData/cmcityzip.txt AppData/nextfile.txt AppData Submit; do
    kinds="directory fifo dangling-link"
    [ "$target" = AppData ] || [ "$target" = Submit ] && kinds="file fifo dangling-link"
    for kind in $kinds; do
        fresh 3
        if [ "$target" = AppData ]; then
            rm -rf "$app/AppData"
        else
            rm -rf "${app:?}/$target"
        fi
        case $kind in
        directory) mkdir -p "$app/$target" ;;
        file) printf 'not a folder' >"$app/$target" ;;
        fifo) mkfifo "$app/$target" ;;
        dangling-link) ln -s "$work/nowhere" "$app/$target" ;;
        esac
        operation=none
        [ "$target" = AppData/nextfile.txt ] || [ "$target" = Submit ] && operation=submit
        run "$kind as $target ($operation)" "$operation" '^(STARTED|MESSAGE)'
        # Whatever happened, a started window with records kept them.
        if [ -f "$data" ] && [ "$target" != AppData/Korvanel.dat ] && [ "$target" != AppData ]; then
            [ "$(stat -c %s "$data")" = 594 ] || fail "$kind as $target: data file now $(stat -c %s "$data") bytes"
        fi
    done
done

# A link in place of one of the program's files, pointing at a file elsewhere: refused with a
# message naming the file; nothing is read or written through it, and the file elsewhere keeps
# its bytes.
for target in AppData/Korvanel.dat AppData/provider.txt AppData/nextfile.txt AppData/physician.txt \
    AppData/cmcityzip.txt; do
    fresh 3
    elsewhere="$work/elsewhere-$(basename "$target")"
    if [ -e "$app/$target" ]; then mv "$app/$target" "$elsewhere"; else printf '7     ' >"$elsewhere"; fi
    cp "$elsewhere" "$work/elsewhere-before"
    ln -s "$elsewhere" "$app/$target"
    operation=exit
    [ "$target" = AppData/nextfile.txt ] && operation=submit
    run "link as $target ($operation)" "$operation" \
        "^MESSAGE .*$app/$target.*a link stands in its place"
    cmp -s "$work/elsewhere-before" "$elsewhere" || fail "link as $target: the file elsewhere changed"
    [ -L "$app/$target" ] || fail "link as $target: the link was replaced"
    if [ "$target" != AppData/Korvanel.dat ]; then
        [ "$(stat -c %s "$data")" = 594 ] || fail "link as $target: data file now $(stat -c %s "$data") bytes"
    fi
done

# The folders themselves may be links to folders elsewhere (another disk): they are used.
fresh 3
mv "$app/AppData" "$work/linked-AppData" && ln -s "$work/linked-AppData" "$app/AppData"
mv "$app/Submit" "$work/linked-Submit" && ln -s "$work/linked-Submit" "$app/Submit"
run "AppData and Submit as links to folders (submit)" submit '^MESSAGE Electronic Submission File Created'
[ "$(find "$work/linked-Submit" -name 'Lead_*.txt' -size 594c | wc -l)" = 1 ] ||
    fail "AppData and Submit as links: no submission file in the linked folder"
rm -rf "$work/linked-AppData" "$work/linked-Submit"

# Provider codes: the first six bytes are the code. Only digits, without their trailing blanks,
# count as a code; anything else is no code: the dialog opens (the tool answers Cancel).
for row in '12345:0' '1234567:0' '123456\r\n:0' '12\000456:1' 'abcdef:1' '12 456:1' '12/456:1' \
    '-12345:1' '.12345:1' '12345\r\n:1' '\351\351\351\351\351\351:1'; do
    code=${row%:*}
    fresh 3
    printf "$code" >"$app/AppData/provider.txt"
    run "provider.txt holding '$code'" none "^PROVIDER .* DIALOG ${row##*:}\$"
done

# Counters: the name takes the number at the start; the tool's clock is 2026-12-06 09:30:00.
for counter in '032767' '999999' '-00001' '      ' 'abcdef' '9999  '; do
    fresh 3
    printf '%s' "$counter" >"$app/AppData/nextfile.txt"
    run "nextfile.txt holding '$counter'" submit '^MESSAGE'
    echo "      counter file now '$(cat "$app/AppData/nextfile.txt" 2>/dev/null)'," \
        "Submit: $(ls "$app/Submit" | tr '\n' ' ')"
    if [ -e "$data" ]; then
        [ "$(stat -c %s "$data")" = 594 ] || fail "counter '$counter': records changed"
    else
        [ "$(find "$app/Submit" -name 'Lead_*.txt' -size 594c | wc -l)" = 1 ] ||
            fail "counter '$counter': the records are neither in the data file nor submitted"
    fi
done

# City files: empty lines, lines without ",", CR-only and LF-only line ends, 40,000 lines.
city="$app/AppData/cmcityzip.txt"
fresh 3
printf 'Alpha,X,00011\r\n\r\nBeta,X,00012\r\n\r\n' >"$city"
run "city file with empty lines" none '^CITIES'
fresh 3
printf 'Alpha,X,00011\r\nNoComma\r\nBeta\r\nGamma,X,00013\r\n' >"$city"
run "city file with lines without ','" none '^CITIES'
fresh 3
printf 'Alpha,X,00011\rBeta,X,00012\rGamma,X,00013' >"$city"
run "city file with CR-only line ends" none '^CITIES 3 '
fresh 3
printf 'Alpha,X,00011\nBeta,X,00012\nGamma,X,00013\n' >"$city"
run "city file with LF-only line ends" none '^CITIES 3 '
fresh 3 40000
run "city file of 40,000 lines" none '^(CITIES|MESSAGE)'

echo "$cases cases, $failures failures"
[ $failures = 0 ] && echo "PASS: every bad input gave a message or a defined reading"
exit $((failures > 0))
