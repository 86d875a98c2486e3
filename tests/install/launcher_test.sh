#!/usr/bin/env bash
# The launcher quillory-start: which folder it opens, when it makes a new ledger, what it
# refuses, and that it starts quillory inside the folder. quillory itself is a stub that
# records where it was started; quillory-newdb is the real one.
# Usage: launcher_test.sh BUILD-FOLDER SOURCE-FOLDER
set -uo pipefail
build=$(cd "$1" && pwd -P)
source=$(cd "$2" && pwd -P)
. "$source/tests/install/checks.sh"
tmp=$(cd "$(mktemp -d)" && pwd -P)
trap 'chmod -R u+rwx "$tmp"; rm -rf "$tmp"' EXIT

# An installed layout: the launcher with the programs beside it.
bin=$tmp/bin
mkdir -p "$bin" "$tmp/home" "$tmp/work/existing" "$tmp/onpath" "$tmp/alone" "$tmp/links" "$tmp/failing"
cp "$source/packaging/quillory-start" "$build/quillory-newdb" "$build/quillory-notice" "$bin/"
stub() { printf '#!/bin/sh\n{ echo %s; pwd -P; echo "args:$#"; } >"$STUB_LOG"\nexit 7\n' "$2" >"$1" && chmod +x "$1"; }
stub "$bin/quillory" beside
stub "$tmp/onpath/quillory" onpath

# run LAUNCHER [ARGS...] in $tmp/work, with HOME=$home ("-": unset), PATH=$path and $extra
# in an otherwise empty environment. Sets status, out, err, log (where quillory started).
home=$tmp/home path=/usr/bin:/bin extra=()
run() {
    local env=(PATH="$path" LC_ALL=C.UTF-8 STUB_LOG="$tmp/stub.log" "${extra[@]}")
    [ "$home" != - ] && env+=(HOME="$home")
    rm -f "$tmp/stub.log" "$tmp/shown"
    (cd "$tmp/work" && env -i "${env[@]}" "$@") >"$tmp/out" 2>"$tmp/err"
    status=$? out=$(cat "$tmp/out") err=$(cat "$tmp/err") log=$(cat "$tmp/stub.log" 2>/dev/null)
}
# started WHAT FOLDER [MARK]: quillory (the stub MARK) started in FOLDER, without arguments.
started() { expect_eq "$1" "$(printf '%s\n%s\nargs:0' "${3:-beside}" "$2")" "$log"; }
tables() { sqlite3 "$1/db1.mdb" "SELECT group_concat(name) FROM (SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' ORDER BY 1)"; }

section "a new ledger where there is none, in ~/Quillory or the folder named"
run "$bin/quillory-start"
expect_eq "status is quillory's" 7 "$status"
expect_eq "new ledger's directions" "0:支出,1:收入" "$(sqlite3 "$tmp/home/Quillory/db1.mdb" "SELECT group_concat(inout || ':' || text) FROM inout")"
started "started in ~/Quillory" "$tmp/home/Quillory"
expect_contains "says where the ledger was made" "$out" "$tmp/home/Quillory"
run "$bin/quillory-start" "家用 帳本/2024 年"
started "a relative folder with spaces, Chinese and missing parents" "$tmp/work/家用 帳本/2024 年"
expect_eq "  holds a whole ledger" data_main,data_note,inout,kind "$(tables "$tmp/work/家用 帳本/2024 年")"
run "$bin/quillory-start" -- -ledger
started "a folder whose name starts with - (after --)" "$tmp/work/-ledger"
echo "keep me" >"$tmp/work/existing/notes.txt"
run "$bin/quillory-start" existing
started "an existing folder without a ledger" "$tmp/work/existing"
expect "  gets one and keeps what it held" grep -q "keep me" "$tmp/work/existing/notes.txt"
expect "  with nothing left over" test -z "$(find "$tmp" -name '.quillory-new.*')"

section "an existing ledger is used as it is"
ledger=$tmp/home/Quillory
printf '3,1,0\r\n' >"$ledger/SKinds.txt"
before=$(cd "$ledger" && find . -printf '%p %s %T@\n' | sort && md5sum db1.mdb SKinds.txt)
sleep 1 # a rewrite within the same second could keep the modification time
run "$bin/quillory-start"
started "started in it" "$ledger"
expect_eq "nothing in the folder added, removed or touched" "$before" \
    "$(cd "$ledger" && find . -printf '%p %s %T@\n' | sort && md5sum db1.mdb SKinds.txt)"
expect_eq "no new-ledger message" "" "$out"

section "refused: STATUS MESSAGE ARGS..., quillory not started"
echo "not a folder" >"$tmp/afile"
refused() {
    run "$bin/quillory-start" "${@:3}"
    expect_eq "[${*:3}]: status" "$1" "$status"
    expect_contains "[${*:3}]: message" "$err" "$2"
    expect_eq "[${*:3}]: quillory not started" "" "$log"
}
refused 1 "無法建立帳本資料夾 $tmp/afile/ledger" "$tmp/afile/ledger"
refused 1 "不是資料夾" "$tmp/afile"
refused 2 "名稱是空的" ""
refused 2 "只能指定一個帳本資料夾" one two
expect_eq "a file named as the folder is untouched, nothing made" "not a folder" "$(cat "$tmp/afile"; ls "$tmp/work" | grep -x -e one -e two)"
home=- refused 2 "沒有設定 HOME"
home=$tmp/home2 run "$bin/quillory-start" --help
expect_contains "--help: usage" "$status $out" "0 用法：quillory-start [--] [帳本資料夾]"
expect "--help: nothing made, nothing started" test ! -e "$tmp/home2/Quillory" -a -z "$log"
if [ "$(id -u)" -ne 0 ]; then
    mkdir -m 555 "$tmp/locked"
    refused 1 "無法在 $tmp/locked 建立新帳本" "$tmp/locked"
fi

section "a failed or raced new ledger"
cp "$bin/quillory-start" "$bin/quillory" "$tmp/failing/"
printf '#!/bin/sh\necho "half a ledger" >db1.mdb\necho "quillory-newdb: 磁碟已滿" >&2\nexit 1\n' >"$tmp/failing/quillory-newdb"
chmod +x "$tmp/failing/quillory-newdb"
run "$tmp/failing/quillory-start" full
expect_eq "making the ledger fails: status" 1 "$status"
expect_contains "  the reason passed on" "$err" "磁碟已滿"
expect "  no half-made db1.mdb, nothing left over, quillory not started" \
    test ! -e "$tmp/work/full/db1.mdb" -a -z "$(find "$tmp" -name '.quillory-new.*')" -a -z "$log"
# Another start made the ledger while this one was making its own: that one is kept.
printf '#!/bin/sh\necho "made first" >../db1.mdb\necho "made here" >db1.mdb\n' >"$tmp/failing/quillory-newdb"
run "$tmp/failing/quillory-start" raced
expect_eq "raced: status, the ledger made first kept" "7 made first" "$status $(cat "$tmp/work/raced/db1.mdb")"
expect "  nothing left over" test -z "$(find "$tmp" -name '.quillory-new.*')"

section "finding quillory and quillory-newdb"
ln -s "$bin/quillory-start" "$tmp/links/quillory-start"
run "$tmp/links/quillory-start" via-link
started "a linked launcher uses the programs beside the real file" "$tmp/work/via-link"
cp "$bin/quillory-start" "$tmp/alone/"
path=$tmp/onpath:/usr/bin:/bin run "$tmp/alone/quillory-start" "$ledger"
started "a launcher alone falls back to PATH" "$ledger" onpath

section "messages in a window when there is no terminal, only a display"
extra=(QT_QPA_PLATFORM=offscreen QUILLORY_NOTICE_SHOWN="$tmp/shown")
run "$bin/quillory-start" "$tmp/afile"
expect_eq "the message on standard error and in a window titled Quillory" \
    "$(printf '1 Quillory\n%s' "${err#quillory-start: }")" "$status $(cat "$tmp/shown")"
run "$bin/quillory-start" existing
expect "a start that works shows no window" test ! -e "$tmp/shown"
extra=(QUILLORY_NOTICE_SHOWN="$tmp/shown")
run "$bin/quillory-start" "$tmp/afile"
expect "no display: no window, the message on standard error" test ! -e "$tmp/shown" -a -n "$err"
finish
