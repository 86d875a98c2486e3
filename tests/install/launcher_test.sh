#!/usr/bin/env bash
# The launcher quillory-start: which folder it opens, when it makes a new ledger, what it
# refuses, and that it starts quillory inside the folder. quillory itself is replaced by a
# stub that records where it was started; quillory-newdb is the real one.
# Usage: launcher_test.sh BUILD-FOLDER SOURCE-FOLDER
set -uo pipefail
build=$(cd "$1" && pwd -P)
source=$(cd "$2" && pwd -P)
. "$source/tests/install/checks.sh"

tmp=$(mktemp -d)
trap 'chmod -R u+rwx "$tmp" 2>/dev/null; rm -rf "$tmp"' EXIT
tmp=$(cd "$tmp" && pwd -P)

# An installed layout: the launcher with the two programs beside it.
bin=$tmp/bin
mkdir -p "$bin"
cp "$source/packaging/quillory-start" "$bin/"
cp "$build/quillory-newdb" "$bin/"
write_stub() { # write_stub PATH MARK: a quillory that logs its folder and arguments
    cat >"$1" <<EOF
#!/bin/sh
{ echo "$2"; pwd -P; echo "args:\$#"; } >"\$STUB_LOG"
exit 7
EOF
    chmod +x "$1"
}
write_stub "$bin/quillory" beside

# run_launcher LAUNCHER [ARGS...] in folder $cwd with $home as HOME ("-" leaves HOME unset)
# and no display, so that no message window opens. Sets status, out, err.
cwd=$tmp
home=$tmp/home
extra_env=()
path=/usr/bin:/bin
run_launcher() {
    local launcher=$1
    shift
    local environment=(PATH="$path" LC_ALL=C.UTF-8 STUB_LOG="$tmp/stub.log" "${extra_env[@]}")
    [ "$home" != - ] && environment+=(HOME="$home")
    rm -f "$tmp/stub.log"
    (cd "$cwd" && env -i "${environment[@]}" "$launcher" "$@") >"$tmp/out" 2>"$tmp/err"
    status=$?
    out=$(cat "$tmp/out")
    err=$(cat "$tmp/err")
}
stub_log() { cat "$tmp/stub.log" 2>/dev/null; }
started_in() { printf 'beside\n%s\nargs:0' "$1"; }
tables() { sqlite3 "$1" "SELECT group_concat(name, ',') FROM (SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' ORDER BY name)"; }
leftovers() { find "$1" -maxdepth 1 -name '.quillory-new.*' | wc -l; }
listing() { (cd "$1" && find . -printf '%p %s %T@\n' | sort); }

section "first start makes ~/Quillory with a new ledger and starts quillory there"
mkdir -p "$home"
run_launcher "$bin/quillory-start"
ledger=$home/Quillory
expect_eq "exit status is quillory's" 7 "$status"
expect "~/Quillory made" test -d "$ledger"
expect_eq "new ledger's tables" "data_main,data_note,inout,kind" "$(tables "$ledger/db1.mdb")"
expect_eq "new ledger's directions" "0:支出,1:收入" \
    "$(sqlite3 "$ledger/db1.mdb" "SELECT group_concat(inout || ':' || text, ',') FROM (SELECT * FROM inout ORDER BY inout)")"
expect_eq "quillory started in the ledger, without arguments" "$(started_in "$ledger")" "$(stub_log)"
expect_eq "nothing left over from making the ledger" 0 "$(leftovers "$ledger")"
expect_contains "says where the ledger was made" "$out" "$ledger"

section "an existing ledger is used as it is"
sqlite3 "$ledger/db1.mdb" "INSERT INTO kind (name, key_order) VALUES ('自己的分類', 99)"
printf '3,1,0\r\n' >"$ledger/SKinds.txt"
before=$(listing "$ledger")
sums=$(md5sum "$ledger/db1.mdb" "$ledger/SKinds.txt")
sleep 1 # a rewrite within the same second could keep the modification time
run_launcher "$bin/quillory-start"
expect_eq "exit status" 7 "$status"
expect_eq "quillory started in the ledger" "$(started_in "$ledger")" "$(stub_log)"
expect_eq "ledger files unchanged" "$sums" "$(md5sum "$ledger/db1.mdb" "$ledger/SKinds.txt")"
expect_eq "nothing added, removed or touched in the folder" "$before" "$(listing "$ledger")"
expect_eq "no new-ledger message" "" "$out"

section "a folder named on the command line"
home=$tmp/home2
mkdir -p "$home" "$tmp/work"
cwd=$tmp/work
run_launcher "$bin/quillory-start" "家用 帳本/2024 年"
named="$tmp/work/家用 帳本/2024 年"
expect_eq "exit status" 7 "$status"
expect "relative folder with spaces, Chinese and missing parents made" test -f "$named/db1.mdb"
expect_eq "its ledger is complete" "data_main,data_note,inout,kind" "$(tables "$named/db1.mdb")"
expect_eq "quillory started in it" "$(started_in "$named")" "$(stub_log)"
expect "~/Quillory left alone" test ! -e "$home/Quillory"

run_launcher "$bin/quillory-start" -- -ledger
expect_eq "a folder whose name starts with - (after --)" "$(started_in "$tmp/work/-ledger")" "$(stub_log)"
expect "  gets its ledger" test -f "$tmp/work/-ledger/db1.mdb"

mkdir -p "$tmp/existing"
echo "keep me" >"$tmp/existing/notes.txt"
run_launcher "$bin/quillory-start" "$tmp/existing"
expect "an existing folder without a ledger gets one" test -f "$tmp/existing/db1.mdb"
expect_eq "  and keeps what it held" "keep me" "$(cat "$tmp/existing/notes.txt")"
expect_eq "  and quillory starts there" "$(started_in "$tmp/existing")" "$(stub_log)"

section "folders and arguments that are refused"
echo "not a folder" >"$tmp/afile"
run_launcher "$bin/quillory-start" "$tmp/afile/ledger"
expect_eq "folder under a file: status" 1 "$status"
expect_contains "folder under a file: message" "$err" "無法建立帳本資料夾 $tmp/afile/ledger"
expect_eq "folder under a file: quillory not started" "" "$(stub_log)"

run_launcher "$bin/quillory-start" "$tmp/afile"
expect_eq "a file as the folder: status" 1 "$status"
expect_contains "a file as the folder: message" "$err" "不是資料夾"
expect_eq "a file as the folder: file untouched" "not a folder" "$(cat "$tmp/afile")"
expect_eq "a file as the folder: quillory not started" "" "$(stub_log)"

run_launcher "$bin/quillory-start" ""
expect_eq "empty folder name: status" 2 "$status"
expect_contains "empty folder name: message" "$err" "名稱是空的"

run_launcher "$bin/quillory-start" one two
expect_eq "two folders: status" 2 "$status"
expect_contains "two folders: message" "$err" "只能指定一個帳本資料夾"
expect "two folders: neither made" test ! -e "$tmp/work/one" -a ! -e "$tmp/work/two"

run_launcher "$bin/quillory-start" --ledger=x
expect_eq "unknown option: status" 2 "$status"
expect_contains "unknown option: message" "$err" "不認識的選項 --ledger=x"

home=-
run_launcher "$bin/quillory-start"
expect_eq "no HOME and no folder: status" 2 "$status"
expect_contains "no HOME and no folder: message" "$err" "沒有設定 HOME"
expect_eq "no HOME and no folder: quillory not started" "" "$(stub_log)"
home=$tmp/home3
mkdir -p "$home"

run_launcher "$bin/quillory-start" --help
expect_eq "--help: status" 0 "$status"
expect_contains "--help: usage" "$out" "quillory-start [帳本資料夾]"
expect "--help: nothing made, nothing started" test ! -e "$home/Quillory" -a ! -e "$tmp/stub.log"

if [ "$(id -u)" -ne 0 ]; then
    mkdir -p "$tmp/locked"
    chmod 555 "$tmp/locked"
    run_launcher "$bin/quillory-start" "$tmp/locked"
    expect_eq "a folder that cannot be written: status" 1 "$status"
    expect_contains "a folder that cannot be written: message" "$err" "無法在 $tmp/locked 建立新帳本"
    expect_eq "a folder that cannot be written: quillory not started" "" "$(stub_log)"
    chmod 755 "$tmp/locked"
fi

section "a failed or raced new ledger"
failing=$tmp/failing
mkdir -p "$failing"
cp "$bin/quillory-start" "$bin/quillory" "$failing/"
cat >"$failing/quillory-newdb" <<'EOF'
#!/bin/sh
echo "half a ledger" >db1.mdb
echo "quillory-newdb: 磁碟已滿" >&2
exit 1
EOF
chmod +x "$failing/quillory-newdb"
run_launcher "$failing/quillory-start" "$tmp/full"
expect_eq "making the ledger fails: status" 1 "$status"
expect_contains "making the ledger fails: the reason is passed on" "$err" "磁碟已滿"
expect "making the ledger fails: no half-made db1.mdb" test ! -e "$tmp/full/db1.mdb"
expect_eq "making the ledger fails: nothing left over" 0 "$(leftovers "$tmp/full")"
expect_eq "making the ledger fails: quillory not started" "" "$(stub_log)"

# Another start made the ledger while this one was making its own: the other one is kept.
cat >"$failing/quillory-newdb" <<'EOF'
#!/bin/sh
echo "made first elsewhere" >../db1.mdb
echo "made here" >db1.mdb
EOF
run_launcher "$failing/quillory-start" "$tmp/raced"
expect_eq "raced: status" 7 "$status"
expect_eq "raced: the ledger made first is kept" "made first elsewhere" "$(cat "$tmp/raced/db1.mdb")"
expect_eq "raced: nothing left over" 0 "$(leftovers "$tmp/raced")"

section "finding quillory and quillory-newdb"
mkdir -p "$tmp/links"
ln -s "$bin/quillory-start" "$tmp/links/quillory-start"
run_launcher "$tmp/links/quillory-start" "$tmp/via-link"
expect "a linked launcher uses the programs beside the real file" test -f "$tmp/via-link/db1.mdb"
expect_eq "  and starts its quillory" "$(started_in "$tmp/via-link")" "$(stub_log)"

mkdir -p "$tmp/alone" "$tmp/onpath"
cp "$bin/quillory-start" "$tmp/alone/"
write_stub "$tmp/onpath/quillory" onpath
path=$tmp/onpath:/usr/bin:/bin
run_launcher "$tmp/alone/quillory-start" "$ledger"
expect_eq "a launcher alone falls back to PATH" "$(printf 'onpath\n%s\nargs:0' "$ledger")" "$(stub_log)"
path=/usr/bin:/bin

expect "the build folder's launcher is this one" cmp -s "$source/packaging/quillory-start" "$build/quillory-start"
expect "the build folder's launcher is executable" test -x "$build/quillory-start"

section "messages in a window when there is no terminal"
# Started from the desktop's menu: no terminal, a display (here Qt's offscreen one). The
# message goes to standard error and into Quillory's own message window beside the launcher.
cp "$build/quillory-notice" "$bin/"
extra_env=(QT_QPA_PLATFORM=offscreen QUILLORY_NOTICE_SHOWN="$tmp/shown")
run_launcher "$bin/quillory-start" "$tmp/afile"
expect_eq "refused from the menu: status" 1 "$status"
expect_contains "  the message on standard error" "$err" "不是資料夾"
expect_eq "  the same message in a window titled Quillory" \
    "$(printf 'Quillory\n%s' "${err#quillory-start: }")" "$(cat "$tmp/shown" 2>/dev/null)"
rm -f "$tmp/shown"
run_launcher "$bin/quillory-start" "$tmp/existing"
expect_eq "a start that works shows no window" "" "$(cat "$tmp/shown" 2>/dev/null)"
extra_env=(QUILLORY_NOTICE_SHOWN="$tmp/shown")
run_launcher "$bin/quillory-start" "$tmp/afile"
expect_eq "no display at all: no window, the message on standard error only" "" "$(cat "$tmp/shown" 2>/dev/null)"
expect_contains "  (the message)" "$err" "不是資料夾"
extra_env=()

finish
