# A private CUPS daemon with the cups-pdf printer as its default, for the printing journey.
# Sourced after lib.sh, not run. Needs root; skips the journey when a piece is missing.

cups_requirements() {
    [ "$(id -u)" = 0 ] || e2e_skip "printing needs root to run a CUPS daemon"
    local program
    for program in /usr/sbin/cupsd lpadmin lpstat pdftotext; do
        command -v "$program" >/dev/null || e2e_skip "$program is missing"
    done
    [ -x /usr/lib/cups/backend/cups-pdf ] || e2e_skip "cups-pdf is missing"
}

# Starts the daemon with its own configuration, spool and socket (so it disturbs no CUPS that
# may run here) and exports CUPS_SERVER for the program started afterwards.
start_private_cups() {
    CUPS=$WORK/cups
    mkdir -p "$CUPS/etc/ppd" "$CUPS/spool/tmp" "$CUPS/cache" "$CUPS/state" "$CUPS/log"
    # The filters run as user lp and must reach the spool.
    chmod 755 "$WORK" "$CUPS"
    chgrp lp "$CUPS/spool" && chmod 710 "$CUPS/spool"
    chmod 1777 "$CUPS/spool/tmp"
    cat >"$CUPS/cups-files.conf" <<CONF
SystemGroup root
ServerRoot $CUPS/etc
RequestRoot $CUPS/spool
TempDir $CUPS/spool/tmp
CacheDir $CUPS/cache
StateDir $CUPS/state
AccessLog $CUPS/log/access_log
ErrorLog $CUPS/log/error_log
PageLog $CUPS/log/page_log
Printcap $CUPS/printcap
CONF
    cat >"$CUPS/cupsd.conf" <<CONF
Listen $CUPS/cups.sock
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
    /usr/sbin/cupsd -f -c "$CUPS/cupsd.conf" -s "$CUPS/cups-files.conf" >"$CUPS/log/stdout" 2>&1 &
    CUPSD_PID=$!
    E2E_CLEANUPS+=('kill "$CUPSD_PID" 2>/dev/null && wait "$CUPSD_PID" 2>/dev/null')
    export CUPS_SERVER=$CUPS/cups.sock
    wait_for 30 cups_scheduler_running || {
        cat "$CUPS/log/stdout" "$CUPS/log/error_log" 2>/dev/null
        fail "cupsd did not start"
    }
    # pdftocairo keeps the text readable (no Type 3 fonts); letter paper as an office uses.
    lpadmin -p PDF -E -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd \
        -o pdftops-renderer-default=pdftocairo -o media-default=letter 2>/dev/null &&
        lpadmin -d PDF || fail "cannot add the cups-pdf printer"
    # cups-pdf writes into PDF/ in the printing user's home folder.
    CUPS_PDF_DIR="$(getent passwd "$(id -un)" | cut -d: -f6)/PDF"
}
cups_scheduler_running() { lpstat -r 2>/dev/null | grep -q 'is running'; }
