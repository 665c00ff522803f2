# A private CUPS daemon with the cups-pdf printer as its default, for the tests that print for
# real. Sourced, not run. It has its own configuration, spool, state and socket, so it disturbs
# no CUPS that may already run here.
. "$(dirname "${BASH_SOURCE[0]}")/wait_for.sh"

# Prints why a real print cannot run here (and returns 0), or nothing (and returns 1).
private_cups_unavailable() {
    [ "$(id -u)" = 0 ] || { echo "printing needs root to run a CUPS daemon"; return 0; }
    local program
    for program in /usr/sbin/cupsd lpadmin lpstat pdftotext; do
        command -v "$program" >/dev/null || { echo "$program is missing"; return 0; }
    done
    [ -x /usr/lib/cups/backend/cups-pdf ] || { echo "cups-pdf is missing"; return 0; }
    return 1
}

private_cups_running() { lpstat -r 2>/dev/null | grep -q 'is running'; }

# private_cups_start DIR: starts the daemon in DIR (which it creates), exports CUPS_SERVER for
# programs started afterwards and makes cups-pdf the default printer. Sets PRIVATE_CUPSD_PID
# (stop it with private_cups_stop) and PRIVATE_CUPS_PDF_DIR, where the printed PDFs land (named
# after the job's title). Returns 1 with the daemon's log printed when it cannot start.
private_cups_start() {
    local cups=$1
    mkdir -p "$cups/etc/ppd" "$cups/spool/tmp" "$cups/cache" "$cups/state" "$cups/log"
    # The print filters run as user lp and must reach the spool.
    chmod 755 "$cups" "$(dirname "$cups")"
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
    /usr/sbin/cupsd -f -c "$cups/cupsd.conf" -s "$cups/cups-files.conf" >"$cups/log/stdout" 2>&1 &
    PRIVATE_CUPSD_PID=$!
    export CUPS_SERVER=$cups/cups.sock
    wait_for 30 private_cups_running || {
        echo "cupsd did not start"
        cat "$cups/log/stdout" "$cups/log/error_log" 2>/dev/null
        return 1
    }
    # pdftocairo keeps the text readable (no Type 3 fonts); letter paper as an office uses.
    lpadmin -p PDF -E -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd \
        -o pdftops-renderer-default=pdftocairo -o media-default=letter 2>/dev/null &&
        lpadmin -d PDF || {
        echo "cannot add the cups-pdf printer"
        return 1
    }
    # cups-pdf writes into PDF/ in the printing user's home folder.
    PRIVATE_CUPS_PDF_DIR="$(getent passwd "$(id -un)" | cut -d: -f6)/PDF"
}

private_cups_stop() {
    [ -n "${PRIVATE_CUPSD_PID:-}" ] || return 0
    kill "$PRIVATE_CUPSD_PID" 2>/dev/null && wait "$PRIVATE_CUPSD_PID" 2>/dev/null
    PRIVATE_CUPSD_PID=
}
