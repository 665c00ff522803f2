# Prints a record's page on a real default printer: a private CUPS daemon with the cups-pdf
# printer, whose PDF is read back and compared line by line with the page.
set -u
tool="$KORVANEL_TOOLS_DIR/tool_print_page"
. "$(dirname "$0")/../support/private_cups.sh"
if why=$(private_cups_unavailable); then
    echo "SKIP: $why"
    exit 77
fi
[ -x "$tool" ] || { echo "FAIL: $tool not built"; exit 1; }
. "$(dirname "$0")/page_lines.sh"

. "$(dirname "$0")/../support/wait_for.sh"

cups=$(mktemp -d)
cleanup() {
    private_cups_stop
    rm -rf "$cups"
}
trap cleanup EXIT

started=$SECONDS
private_cups_start "$cups/daemon" || { echo "FAIL: cannot start a private CUPS daemon"; exit 1; }
echo "cupsd ready with its default printer after $((SECONDS - started)) s"

# cups-pdf writes into PDF/ in the home folder of the user the job belongs to, and names the
# file after the job's title.
output=$PRIVATE_CUPS_PDF_DIR
title="korvanel-real-print-$$-$RANDOM"
export QT_QPA_PLATFORM=offscreen
work="$cups/work"
mkdir -p "$work"
outcome=$("$tool" "$title" "$work/fallback.pdf" "$work/lines.txt")
[ "$outcome" = printed ] || { echo "FAIL: the page was not printed: $outcome"; exit 1; }

printed_file() { ls "$output"/"$title"*.pdf 2>/dev/null | head -n 1; }
readable_page() {
    local pdf
    pdf=$(printed_file)
    [ -n "$pdf" ] && pdftotext "$pdf" - 2>/dev/null | grep -q 'Analysis Method'
}
wait_for 60 readable_page || {
    echo "FAIL: no PDF from the printer in $output"
    lpstat -W all -o
    grep -i 'job' "$cups/daemon/log/error_log" | tail -n 20
    exit 1
}
pdf=$(printed_file)
echo "page printed after $((SECONDS - started)) s: $pdf"
compare_page "$pdf" "$work/lines.txt" "$work"
result=$?
rm -f "$pdf"
[ $result = 0 ] && echo "PASS: the printed page holds the record's lines" ||
    echo "FAIL: the printed page differs"
exit $result
