# Shared by the printing shell tests: reads a printed page back and compares it with the lines
# the program meant to print. Sourced, not run.

# The lines without trailing blanks (a PDF keeps none), without the leading and trailing
# empty lines (the page's first empty lines leave no text to find).
trimmed_lines() {
    sed -e 's/\f//g' -e 's/[[:space:]]*$//' "$1" |
        awk 'NF { started = 1 } started { lines[++n] = $0 } END {
                 while (n > 0 && lines[n] == "") n--
                 for (i = 1; i <= n; i++) print lines[i] }'
}

# Text of a PDF page with 12-point fixed-pitch metrics, the page margin's columns removed:
# the heading's first letter stands in column 11 of the printed line.
pdf_lines() {
    local pdf=$1 out=$2
    pdftotext -fixed 7.2 "$pdf" "$out.raw" || return 1
    trimmed_lines "$out.raw" >"$out.trim"
    awk 'NR == 1 { margin = index($0, "Korvanel") - 11; if (margin < 0) exit 1 }
         { if (substr($0, 1, margin) ~ /[^ ]/) { print "text inside the margin: " $0 > "/dev/stderr"; exit 1 }
           print substr($0, margin + 1) }' "$out.trim" >"$out"
}

# Succeeds when the PDF shows exactly the expected lines; shows the difference otherwise.
compare_page() {
    local pdf=$1 expected_file=$2 work=$3
    trimmed_lines "$expected_file" >"$work/expected.txt"
    pdf_lines "$pdf" "$work/printed.txt" || { echo "cannot read the page back from $pdf"; return 1; }
    diff -u "$work/expected.txt" "$work/printed.txt"
}
