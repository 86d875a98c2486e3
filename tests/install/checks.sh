# Helpers for the shell tests. A failed check is reported and the run goes on, so one run
# shows every fault; finish exits with the overall result.

failures=0

section() {
    printf '== %s\n' "$1"
}

failed() {
    printf 'FAIL: %s\n' "$1" >&2
    failures=$((failures + 1))
}

# expect WHAT COMMAND...: the command must succeed.
expect() {
    local what=$1
    shift
    "$@" || failed "$what"
}

expect_eq() {
    local what=$1 expected=$2 actual=$3
    [ "$expected" = "$actual" ] || failed "$what: expected [$expected], got [$actual]"
}

expect_contains() {
    local what=$1 text=$2 part=$3
    case "$text" in
        *"$part"*) ;;
        *) failed "$what: [$part] not in [$text]" ;;
    esac
}

finish() {
    if [ "$failures" -gt 0 ]; then
        printf '%d check(s) failed\n' "$failures" >&2
        exit 1
    fi
    printf 'all checks passed\n'
}
