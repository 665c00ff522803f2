# The private CUPS daemon for the printing journey. Sourced after lib.sh, not run.
. "$(dirname "${BASH_SOURCE[0]}")/../support/private_cups.sh"

cups_requirements() {
    local why
    why=$(private_cups_unavailable) && e2e_skip "$why"
    return 0
}

# Starts the daemon in the journey's work folder; CUPS_SERVER is exported for the program
# started afterwards and CUPS_PDF_DIR is where its pages land.
start_private_cups() {
    CUPS=$WORK/cups
    E2E_CLEANUPS+=('private_cups_stop')
    private_cups_start "$CUPS" || fail "cannot start a private CUPS daemon"
    CUPS_PDF_DIR=$PRIVATE_CUPS_PDF_DIR
}
