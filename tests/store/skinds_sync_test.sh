# Saving SKinds.txt when the disk fails the write, the sync or the rename: every failure is
# reported, and the old file stays whole with nothing of the attempt left beside it. Each case
# runs the saving driver under strace with one kind of call failing.
set -u
build=$1
driver=$build/tests/skinds_sync_driver
command -v strace >/dev/null || { echo "strace is not installed"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0

# run NAME EXPECTED_STATUS EXPECTED_CONTENT [strace options...]
run() {
    local name=$1 want=$2 content=$3
    shift 3
    local dir=$work/$name
    mkdir "$dir" && printf '7,3\r\n' >"$dir/SKinds.txt"
    local out rc
    if [ $# -eq 0 ]; then
        out=$("$driver" "$dir"); rc=$?
    else
        out=$(strace -f -qq -o /dev/null "$@" "$driver" "$dir"); rc=$?
    fi
    local now files
    now=$(tr -d '\r\n' <"$dir/SKinds.txt")
    files=$(ls -A "$dir" | wc -l)
    if [ "$rc" -ne "$want" ] || [ "$now" != "$content" ] || [ "$files" -ne 1 ]; then
        echo "$name: status $rc (wanted $want), SKinds.txt '$now' (wanted '$content'), $files files; $out"
        fail=1
    elif [ "$want" -eq 1 ] && [ "$name" != write ] && ! grep -q '^refused: 無法儲存結算分類檔' <<<"$out"; then
        echo "$name: refused without saying why: $out"
        fail=1
    fi
}

run plain 0 9,7,3
run fsync 1 7,3 -e trace=fsync,fdatasync -e inject=fsync,fdatasync:error=EIO
run write 1 7,3 -e trace=write,writev,pwrite64 -e inject=write,writev,pwrite64:error=ENOSPC
run rename 1 7,3 -e trace=rename,renameat,renameat2 -e inject=rename,renameat,renameat2:error=EIO
[ $fail -eq 0 ] && echo "all save failures reported, the old file kept"
exit $fail
