#!/usr/bin/env bash
# quillory-newdb: with no argument it makes db1.mdb in the current folder; --help only shows
# its usage; an argument it does not know is refused with the usage, and nothing is made.
# Usage: newdb_test.sh BUILD-FOLDER SOURCE-FOLDER
set -uo pipefail
build=$(cd "$1" && pwd -P)
source=$(cd "$2" && pwd -P)
. "$source/tests/install/checks.sh"
newdb=$build/quillory-newdb

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# run_newdb FOLDER [ARGS...]: sets status, out, err.
run_newdb() {
    local folder=$1
    shift
    mkdir -p "$folder"
    out=$(cd "$folder" && "$newdb" "$@" 2>"$tmp/err")
    status=$?
    err=$(cat "$tmp/err")
}

section "--help and -h show the usage and make nothing"
for option in --help -h; do
    run_newdb "$tmp/help$option" "$option"
    expect_eq "$option: exit status" 0 "$status"
    expect_contains "$option: usage on the output" "$out" "Usage: quillory-newdb"
    expect_eq "$option: nothing on the error output" "" "$err"
    expect_eq "$option: the folder stays empty" "" "$(ls -A "$tmp/help$option")"
done

section "unknown arguments are refused with the usage"
for arguments in "--force" "-x" "db2.mdb" "--help --force" "--helpme"; do
    folder=$tmp/unknown-${arguments// /_}
    # shellcheck disable=SC2086 # each word is one argument
    run_newdb "$folder" $arguments
    expect_eq "[$arguments]: exit status" 1 "$status"
    expect_contains "[$arguments]: names what it refused" "$err" "unknown argument"
    expect_contains "[$arguments]: usage with the refusal" "$err" "Usage: quillory-newdb"
    expect_eq "[$arguments]: nothing on the output" "" "$out"
    expect_eq "[$arguments]: the folder stays empty" "" "$(ls -A "$folder")"
done

section "no argument makes the ledger, once"
run_newdb "$tmp/new"
expect_eq "exit status" 0 "$status"
expect "db1.mdb made" test -s "$tmp/new/db1.mdb"
expect_eq "SQLite header" "SQLite format 3" "$(head -c 15 "$tmp/new/db1.mdb")"
before=$(cksum <"$tmp/new/db1.mdb")
run_newdb "$tmp/new"
expect_eq "a second run is refused" 1 "$status"
expect_eq "the ledger is left as it was" "$before" "$(cksum <"$tmp/new/db1.mdb")"

finish
