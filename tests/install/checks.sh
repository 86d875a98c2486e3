# Helpers for the shell tests. A failed check is reported and the run goes on, so one run
# shows every fault; finish exits with the overall result.
failures=0
section() { printf '== %s\n' "$1"; }
failed() {
    printf 'FAIL: %s\n' "$1" >&2
    failures=$((failures + 1))
}
# expect WHAT COMMAND...: the command must succeed.
expect() { "${@:2}" || failed "$1"; }
expect_eq() { [ "$2" = "$3" ] || failed "$1: expected [$2], got [$3]"; }
expect_contains() { case "$2" in *"$3"*) ;; *) failed "$1: [$3] not in [$2]" ;; esac; }
finish() {
    [ "$failures" -eq 0 ] || { printf '%d check(s) failed\n' "$failures" >&2; exit 1; }
    printf 'all checks passed\n'
}
