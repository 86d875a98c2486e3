#!/usr/bin/env bash
# The programs' command lines: --help and --version answered by each, without a display; an
# unknown option refused with the program's status; quillory-newdb with no argument makes
# db1.mdb in the current folder, once. Nothing is made but the one ledger.
# Usage: command_line_test.sh BUILD-FOLDER SOURCE-FOLDER
set -uo pipefail
. "$2/tests/install/checks.sh"
build=$(cd "$1" && pwd -P)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# run NAME PROGRAM [ARGS...]: in a folder of its own, without a display unless $display names
# a Qt platform; sets status, out and err.
display=
run() {
    local name=$1 program=$2
    shift 2
    mkdir -p "$tmp/$name"
    (cd "$tmp/$name" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ${display:+QT_QPA_PLATFORM=$display} \
        "$build/$program" "$@") >"$tmp/$name.out" 2>"$tmp/$name.err"
    status=$? out=$(cat "$tmp/$name.out") err=$(cat "$tmp/$name.err")
}

# program, its status for an option it does not know, and the display it needs to get as far as
# reading its arguments (the launcher shows its messages in a window when it has one)
while read -r program refused platform; do
    for help in --help -h; do
        run "$program$help" "$program" "$help"
        expect_eq "$program $help: status and error output" "0 " "$status $err"
        expect_contains "$program $help: usage in Chinese" "$out" "用法：$program"
        expect_contains "$program $help: and in English" "$out" "Usage: $program"
    done
    run "$program-version" "$program" --version
    expect_eq "$program --version" "0|$program (Quillory) $version|" "$status|$out|$err"
    display=${platform#-} run "$program-unknown" "$program" --no-such-option
    expect_eq "$program --no-such-option: status, nothing on standard output" "$refused|" "$status|$out"
    expect_contains "$program --no-such-option: said" "$err" "不認識的選項 --no-such-option (unknown option"
done <<'EOF'
quillory 2 offscreen
quillory-start 2 -
quillory-import 1 -
quillory-newdb 1 -
quillory-notice 2 -
EOF

for arguments in db2.mdb "--help --force" --helpme; do
    # shellcheck disable=SC2086 # each word is one argument
    run "newdb${arguments// /_}" quillory-newdb $arguments
    expect_eq "quillory-newdb $arguments: refused" 1 "$status"
    expect_contains "quillory-newdb $arguments: names the argument" "$err" " ${arguments#--help } "
done
expect_eq "nothing made by --help, --version or a refusal" "" "$(find "$tmp" -mindepth 2)"
run new quillory-newdb
expect_eq "a new ledger: status, the ledger made" "0 SQLite format 3" "$status $(head -c 15 "$tmp/new/db1.mdb")"
before=$(cksum <"$tmp/new/db1.mdb")
run new quillory-newdb
expect_eq "a second run: refused, the ledger as it was" "1 $before" "$status $(cksum <"$tmp/new/db1.mdb")"
finish
