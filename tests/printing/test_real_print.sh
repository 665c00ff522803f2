# Prints a record's page on a real default printer: a private CUPS daemon with the cups-pdf
# printer, whose PDF is read back and compared line by line with the page.
set -u
tool="$KORVANEL_TOOLS_DIR/tool_print_page"
[ "$(id -u)" = 0 ] || { echo "SKIP: needs root to run a CUPS daemon"; exit 77; }
for program in /usr/sbin/cupsd lpadmin lpstat pdftotext; do
    command -v "$program" >/dev/null || { echo "SKIP: $program is missing"; exit 77; }
done
[ -x /usr/lib/cups/backend/cups-pdf ] || { echo "SKIP: cups-pdf is missing"; exit 77; }
[ -x "$tool" ] || { echo "FAIL: $tool not built"; exit 1; }
. "$(dirname "$0")/page_lines.sh"

# Polls a condition for up to the given number of seconds.
wait_for() {
    local seconds=$1
    shift
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.1
    done
}

# The daemon gets its own configuration, spool, state and socket, so it disturbs no CUPS that
# may already run here. Its filters run as user lp and must reach the spool.
cups=$(mktemp -d)
chmod 755 "$cups"
mkdir -p "$cups/etc/ppd" "$cups/spool/tmp" "$cups/cache" "$cups/state" "$cups/log"
chgrp lp "$cups/spool" && chmod 710 "$cups/spool"
chmod 1777 "$cups/spool/tmp"
cat >"$cups/cups-files.conf" <<CONF
SystemGroup root
ServerRoot $cups/etc
RequestRoot $cups/spool
TempDir $cups/spool/tmp
CacheDir $cups/cache
StateDir $cups/state
AccessLog $cups/log/access_log
ErrorLog $cups/log/error_log
PageLog $cups/log/page_log
Printcap $cups/printcap
CONF
cat >"$cups/cupsd.conf" <<CONF
Listen $cups/cups.sock
LogLevel info
Browsing No
WebInterface No
DefaultAuthType Basic
<Location />
  Order allow,deny
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF

cupsd_pid=
cleanup() {
    [ -n "$cupsd_pid" ] && kill "$cupsd_pid" 2>/dev/null && wait "$cupsd_pid" 2>/dev/null
    rm -rf "$cups"
}
trap cleanup EXIT

started=$SECONDS
/usr/sbin/cupsd -f -c "$cups/cupsd.conf" -s "$cups/cups-files.conf" >"$cups/log/stdout" 2>&1 &
cupsd_pid=$!
export CUPS_SERVER="$cups/cups.sock"
scheduler_running() { lpstat -r 2>/dev/null | grep -q 'is running'; }
wait_for 30 scheduler_running || {
    echo "FAIL: cupsd did not start"
    cat "$cups/log/stdout" "$cups/log/error_log" 2>/dev/null
    exit 1
}
lpadmin -p PDF -E -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd \
    -o pdftops-renderer-default=pdftocairo -o media-default=letter 2>/dev/null &&
    lpadmin -d PDF || { echo "FAIL: cannot add the cups-pdf printer"; exit 1; }
echo "cupsd ready with its default printer after $((SECONDS - started)) s"

# cups-pdf writes into PDF/ in the home folder of the user the job belongs to, and names the
# file after the job's title.
output="$(getent passwd "$(id -un)" | cut -d: -f6)/PDF"
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
    grep -i 'job' "$cups/log/error_log" | tail -n 20
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
