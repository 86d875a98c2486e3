#!/usr/bin/env bash
# quillory-newdb: no argument makes db1.mdb in the current folder, once; --help shows the
# usage; an unknown argument is refused with it. Nothing is made but the one ledger.
# Usage: newdb_test.sh BUILD-FOLDER SOURCE-FOLDER
set -uo pipefail
. "$2/tests/install/checks.sh"
newdb=$(cd "$1" && pwd -P)/quillory-newdb
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# case NAME WANTED-STATUS WANTED-OUTPUT WANTED-ERROR [ARGS...]: run in a folder of its own.
case_() {
    local name=$1 status=$2 out=$3 err=$4
    shift 4
    mkdir -p "$tmp/$name"
    (cd "$tmp/$name" && "$newdb" "$@") >"$tmp/$name.out" 2>"$tmp/$name.err"
    expect_eq "$name: status" "$status" "$?"
    expect_contains "$name: output" "$(cat "$tmp/$name.out")" "$out"
    expect_contains "$name: error output" "$(cat "$tmp/$name.err")" "$err"
}
case_ help 0 "Usage: quillory-newdb" "" --help
case_ h 0 "Usage: quillory-newdb" "" -h
for arguments in --force db2.mdb "--help --force" --helpme; do
    # shellcheck disable=SC2086 # each word is one argument
    case_ "unknown${arguments// /_}" 1 "" "unknown argument" $arguments
    expect_contains "[$arguments]: usage with the refusal" "$(cat "$tmp/unknown${arguments// /_}.err")" "Usage:"
done
expect_eq "nothing made by a refusal or --help" "" "$(find "$tmp" -mindepth 2)"
case_ new 0 "" ""
expect_eq "the ledger made" "SQLite format 3" "$(head -c 15 "$tmp/new/db1.mdb")"
before=$(cksum <"$tmp/new/db1.mdb")
case_ new 1 "" ""
expect_eq "a second run leaves it as it was" "$before" "$(cksum <"$tmp/new/db1.mdb")"
finish
