# With no printer to be found, the page is written as a PDF with the same lines, owner-only.
set -u
tool="$KORVANEL_TOOLS_DIR/tool_print_page"
command -v pdftotext >/dev/null || { echo "SKIP: pdftotext (poppler-utils) is missing"; exit 77; }
[ -x "$tool" ] || { echo "FAIL: $tool not built"; exit 1; }
. "$(dirname "$0")/page_lines.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A CUPS server that does not exist: no default printer, and no waiting for one.
export CUPS_SERVER="$work/no-cups.sock"
export QT_QPA_PLATFORM=offscreen
fallback="$work/Printed/record/page.pdf"
outcome=$("$tool" "Korvanel Record" "$fallback" "$work/lines.txt" 2>"$work/stderr") ||
    { echo "FAIL: $outcome"; exit 1; }
[ "$outcome" = "pdf $fallback" ] || { echo "FAIL: expected a PDF fallback, got: $outcome"; exit 1; }
grep -q "not printed: No default printer is installed." "$work/stderr" ||
    { echo "FAIL: no reason given:"; cat "$work/stderr"; exit 1; }

fail=0
[ "$(stat -c %a "$fallback")" = 600 ] || { echo "FAIL: PDF mode $(stat -c %a "$fallback")"; fail=1; }
for folder in "$work/Printed" "$work/Printed/record"; do
    [ "$(stat -c %a "$folder")" = 700 ] || { echo "FAIL: $folder mode $(stat -c %a "$folder")"; fail=1; }
done
compare_page "$fallback" "$work/lines.txt" "$work" || { echo "FAIL: the PDF differs from the page"; fail=1; }

# An existing file is taken over, and made owner-only as well.
rm -f "$fallback"
touch "$fallback" && chmod 644 "$fallback"
outcome=$("$tool" "Korvanel Record" "$fallback" "$work/lines.txt")
[ "$outcome" = "pdf $fallback" ] && [ "$(stat -c %a "$fallback")" = 600 ] ||
    { echo "FAIL: rewriting an existing PDF: $outcome, mode $(stat -c %a "$fallback")"; fail=1; }
compare_page "$fallback" "$work/lines.txt" "$work" || fail=1

# A list longer than a page goes on over as many pages, each headed with its number.
if command -v pdfinfo >/dev/null; then
    list="$work/Printed/list.pdf"
    outcome=$("$tool" "Korvanel List" "$list" "$work/list.txt" 130)
    pages=$(pdfinfo "$list" 2>/dev/null | sed -n 's/^Pages: *//p')
    [ "$outcome" = "pdf $list" ] && [ "$pages" = 4 ] ||
        { echo "FAIL: a list of 130 records: $outcome, $pages pages (expected 4)"; fail=1; }
    for page in 1 2 3 4; do
        pdftotext -f $page -l $page -fixed 7.2 "$list" - | grep -q "page $page of 4" ||
            { echo "FAIL: page $page of the list does not say so"; fail=1; }
    done
    last=$(pdftotext -f 4 -l 4 -fixed 7.2 "$list" - | grep -c "Okonkwo-Bryant")
    [ "$last" = $((130 - 39 - 2 * 41)) ] || { echo "FAIL: the last page holds $last records"; fail=1; }
fi

[ $fail = 0 ] && echo "PASS: PDF fallback"
exit $fail
