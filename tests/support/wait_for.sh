# Sourced by shell tests, not run.

# wait_for SECONDS COMMAND...: polls the command until it succeeds or the time is up.
wait_for() {
    local seconds=$1
    shift
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.05
    done
}
