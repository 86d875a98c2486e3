# Saving SKinds.txt when the disk fails the write, the sync or the rename: every failure is
# reported, and the old file stays whole with nothing of the attempt left beside it. Each case
# runs the saving driver under strace with one kind of call failing.
set -u
driver=$1/tests/skinds_sync_driver
command -v strace >/dev/null || { echo "strace is not installed"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0

# run NAME EXPECTED_STATUS EXPECTED_CONTENT [CALLS ERROR: the calls made to fail, with that error]
run() {
    local dir=$work/$1 want=$2 content=$3 out rc now files
    mkdir "$dir" && printf '7,3\r\n' >"$dir/SKinds.txt"
    if [ $# -eq 3 ]; then
        out=$("$driver" "$dir"); rc=$?
    else
        out=$(strace -f -qq -o /dev/null -e trace="$4" -e inject="$4":error="$5" "$driver" "$dir"); rc=$?
    fi
    now=$(tr -d '\r\n' <"$dir/SKinds.txt")
    files=$(ls -A "$dir" | wc -l)
    if [ "$rc" -ne "$want" ] || [ "$now" != "$content" ] || [ "$files" -ne 1 ]; then
        echo "$1: status $rc (wanted $want), SKinds.txt '$now' (wanted '$content'), $files files; $out"
        fail=1
    elif [ "$want" -eq 1 ] && [ "$1" != write ] && ! grep -q '^refused: 無法儲存結算分類檔' <<<"$out"; then
        echo "$1: refused without saying why: $out"
        fail=1
    fi
}

run plain 0 9,7,3
run fsync 1 7,3 fsync,fdatasync EIO
run write 1 7,3 write,writev,pwrite64 ENOSPC
run rename 1 7,3 rename,renameat,renameat2 EIO
[ $fail -eq 0 ] && echo "all save failures reported, the old file kept"
exit $fail
