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

[ $fail = 0 ] && echo "PASS: PDF fallback"
exit $fail
