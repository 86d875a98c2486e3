#!/usr/bin/env bash
# Builds the .deb with cpack into a temporary folder and checks what it holds and what it
# depends on: the dependencies must cover every library the programs link and every file
# Qt loads at run time, be installable here, and name nothing needed only for building.
# Usage: package_test.sh BUILD-FOLDER SOURCE-FOLDER
set -uo pipefail
build=$(cd "$1" && pwd -P)
source=$(cd "$2" && pwd -P)
. "$source/tests/install/checks.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1 || {
    cat "$tmp/cpack.log" >&2
    failed "cpack could not build the package"
    finish
}
deb=$(echo "$tmp"/out/*.deb)
root=$tmp/root
dpkg-deb -x "$deb" "$root"
field() { dpkg-deb -f "$deb" "$1"; }
programs="quillory quillory-import quillory-newdb quillory-notice"

section "control fields and files"
expect_eq "name, version, architecture" \
    "quillory $(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt") $(dpkg --print-architecture)" \
    "$(field Package) $(field Version) $(field Architecture)"
# "mode owner path" of every entry, without the leading "./"
dpkg-deb -c "$deb" | awk '{ p = $6; sub(/^\.\//, "", p); if (p != "") print $1, $2, p }' >"$tmp/list"
expect_eq "the programs in usr/bin, executable, and nothing else there" \
    "$(for p in $programs quillory-start; do echo "-rwxr-xr-x usr/bin/$p"; done)" \
    "$(awk '$3 ~ /^usr\/bin\/./ { print $1, $3 }' "$tmp/list" | sort)"
expect_eq "everything root's, under usr/, no tests, libraries, headers or build files" "" \
    "$(awk '$2 != "root/root" || $3 !~ /^usr\// || $3 ~ /(_test|\.a|\.h|\.o|\.cmake|CMakeFiles\/.*)$/' "$tmp/list")"
expect "the launcher is the one in the sources" cmp -s "$source/packaging/quillory-start" "$root/usr/bin/quillory-start"
expect "the copyright file is the one in the sources" \
    cmp -s "$source/packaging/copyright" "$root/usr/share/doc/quillory/copyright"

section "hardening"
case $(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt") in
    Release | RelWithDebInfo)
        for program in $programs; do
            elf=$(readelf -hlW --dyn-syms -dW "$root/usr/bin/$program")
            for mark in 'Type:[[:space:]]*DYN' GNU_RELRO 'FLAGS.*BIND_NOW|FLAGS_1.*NOW' __stack_chk_fail; do
                expect "$program: $mark" grep -Eq "$mark" <<<"$elf"
            done
        done ;;
    *) echo "not an optimised build: hardening not checked" ;;
esac

section "menu entry"
desktop=$root/usr/share/applications/org.example.quillory.desktop
expect_eq "type, name, terminal, launcher" "Application|家庭記帳 Quillory|false|quillory-start" \
    "$(for k in Type Name Terminal Exec; do sed -n "s/^$k=//p" "$desktop"; done | sed 's/ .*%.*//' | paste -sd'|')"

section "manual pages, metainfo and lintian"
for program in $programs quillory-start; do
    page=$root/usr/share/man/man1/$program.1.gz
    # As `man $program` shows it once installed; groff's warnings come on standard error.
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >"$tmp/page")
    expect_eq "$program: its manual page renders without warnings" "0 " "$? $warnings"
done
guide=$root/usr/share/quillory/使用說明.md
expect "the guide F1 opens, where the program looks for it" test -s "$guide"
metainfo=$root/usr/share/metainfo/org.example.quillory.metainfo.xml
appstreamcli validate --no-net "$metainfo" >"$tmp/appstream" 2>&1
expect_eq "metainfo valid, without errors or warnings" "0 " "$? $(grep -E '^[EW]: ' "$tmp/appstream")"
allow_root=()
[ "$(id -u)" -eq 0 ] && allow_root=(--allow-root)
lintian "${allow_root[@]}" --fail-on error,warning "$deb" >"$tmp/lintian" 2>&1
expect_eq "lintian: no error or warning" "0 " "$? $(grep -E '^[EW]: ' "$tmp/lintian")"

section "dependencies"
depends=$(field Depends)
named=" $(printf '%s' "$depends" | tr ',|' '\n\n' | awk '{ print $1 }' | xargs) "
# Every library the programs name (ldd shows the dynamic loader as "path (addr)" alone), and
# the files Qt loads while running: the SQLite driver, the X11 plugin, the buttons'
# translation and the Ming and Kai faces.
for program in $programs; do
    for library in $(readelf -d "$root/usr/bin/$program" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'); do
        ldd "$root/usr/bin/$program" | awk -v l="$library" '$1 == l { print $3 } $1 ~ "/" l "$" { print $1 }'
    done
done | sort -u >"$tmp/linked"
runtime=(sqldrivers/libqsqlite.so platforms/libqxcb.so qtbase_zh_TW.qm arphic/uming.ttc arphic/ukai.ttc)
owner() { # the package owning a path under any of its /usr-merge names
    local real
    real=$(readlink -f "$1")
    dpkg -S "$1" "$real" "${real#/usr}" "/usr$1" 2>/dev/null | head -n 1 | sed 's/[:,].*//'
}
while read -r path; do
    package=$(owner "$path")
    expect "$path belongs to a package" test -n "$package"
    expect_contains "$path is covered" "$named" " $package "
done < <(cat "$tmp/linked"; for file in "${runtime[@]}"; do dpkg -S "*/$file" | head -n 1 | sed 's/.*: //'; done)
# Each clause must be met by a package installed here, at a version it accepts.
IFS=, read -r -a clauses <<<"$depends"
for clause in "${clauses[@]}"; do
    met=0
    IFS='|' read -r -a choices <<<"$clause"
    for choice in "${choices[@]}"; do
        read -r package relation version <<<"$(printf '%s' "$choice" | tr -d '()')"
        installed=$(dpkg-query -W -f='${Status} ${Version}' "$package" 2>/dev/null | sed -n 's/^install ok installed //p')
        [ -n "$installed" ] && { [ -z "${relation:-}" ] || dpkg --compare-versions "$installed" "$relation" "$version"; } && met=1
    done
    expect_eq "dependency [${clause# }] met here" 1 "$met"
done
for word in $named; do
    case "$word" in
        *-dev | cmake | build-essential | g++* | xvfb | xauth | openbox | imagemagick | sqlite3)
            failed "depends on $word, needed only for building or testing" ;;
    esac
done

section "the packaged launcher starts the packaged programs"
cp "$root/usr/bin/quillory-start" "$root/usr/bin/quillory-newdb" "$tmp/"
printf '#!/bin/sh\npwd -P >"$STUB_LOG"\n' >"$tmp/quillory"
chmod +x "$tmp/quillory"
env -i PATH=/usr/bin:/bin LC_ALL=C.UTF-8 STUB_LOG="$tmp/stub.log" "$tmp/quillory-start" "$tmp/ledger" >/dev/null 2>&1
expect "a new ledger made by the packaged quillory-newdb" test -s "$tmp/ledger/db1.mdb"
expect_eq "the program started in it" "$(cd "$tmp/ledger" 2>/dev/null && pwd -P)" "$(cat "$tmp/stub.log" 2>/dev/null)"
finish
