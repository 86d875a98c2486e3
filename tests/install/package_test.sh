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

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1; then
    cat "$tmp/cpack.log" >&2
    failed "cpack could not build the package"
    finish
fi
debs=("$tmp"/out/*.deb)
expect_eq "one package built" 1 "${#debs[@]}"
deb=${debs[0]}
root=$tmp/root
dpkg-deb -x "$deb" "$root"
field() { dpkg-deb -f "$deb" "$1"; }

section "control fields"
expect_eq "package name" quillory "$(field Package)"
expect_eq "version is the project's" \
    "$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")" "$(field Version)"
expect_eq "architecture" "$(dpkg --print-architecture)" "$(field Architecture)"
expect "the maintainer is a name and an address" grep -Eq '^[^<>]+ <[^<>@ ]+@[^<>@ ]+>$' <<<"$(field Maintainer)"

section "file list"
# "mode owner path" for every entry, without the leading "./"
dpkg-deb -c "$deb" | awk '{ p = $6; sub(/^\.\//, "", p); print $1, $2, p }' >"$tmp/list"
entry() { awk -v p="$1" '$3 == p { print $1, $2 }' "$tmp/list"; }
for program in quillory quillory-import quillory-newdb quillory-notice quillory-start; do
    expect_eq "usr/bin/$program, executable, root's" "-rwxr-xr-x root/root" "$(entry "usr/bin/$program")"
done
expect_eq "programs in usr/bin, nothing else" "quillory quillory-import quillory-newdb quillory-notice quillory-start" \
    "$(awk '$3 ~ /^usr\/bin\/./ { sub(/^usr\/bin\//, "", $3); print $3 }' "$tmp/list" | sort | xargs)"
expect "the launcher is the one in the sources" cmp -s "$source/packaging/quillory-start" "$root/usr/bin/quillory-start"
expect_eq "menu entry" "-rw-r--r-- root/root" "$(entry usr/share/applications/quillory.desktop)"
expect_eq "everything lies under usr/" "" "$(awk '$3 != "" && $3 !~ /^usr\// { print $3 }' "$tmp/list")"
expect_eq "everything belongs to root" "" "$(awk '$2 != "root/root" { print $3 }' "$tmp/list")"
expect_eq "no tests, libraries, headers or build files" "" \
    "$(awk '$3 ~ /(_test|\.a|\.h|\.o|\.cmake|CMakeFiles\/.*)$/ { print $3 }' "$tmp/list")"

section "licence"
copyright=usr/share/doc/quillory/copyright
expect_eq "$copyright, readable by all" "-rw-r--r-- root/root" "$(entry "$copyright")"
expect "$copyright is the one in the sources" cmp -s "$source/packaging/copyright" "$root/$copyright"
expect "$copyright names the licence of every file" grep -q '^License: Expat$' "$root/$copyright"
licence_body=$(sed -n '/^Permission/,$p' "$source/LICENSE" | tr -s ' \n' ' ')
packaged_body=$(sed -n '/^ Permission/,$p' "$root/$copyright" | sed 's/^ \.$//; s/^ //' | tr -s ' \n' ' ')
expect_eq "$copyright carries the licence text of LICENSE" "$licence_body" "$packaged_body"

section "hardening"
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
case "$build_type" in
    Release | RelWithDebInfo)
        for program in quillory quillory-import quillory-newdb quillory-notice; do
            binary=$root/usr/bin/$program
            expect "$program is position-independent" grep -q 'Type:[[:space:]]*DYN' <<<"$(readelf -h "$binary")"
            expect "$program has a read-only relocation table" grep -q GNU_RELRO <<<"$(readelf -lW "$binary")"
            expect "$program binds every symbol at start" grep -Eq 'FLAGS.*BIND_NOW|FLAGS_1.*NOW' <<<"$(readelf -dW "$binary")"
            expect "$program checks its stack" grep -q __stack_chk_fail <<<"$(readelf -sW --dyn-syms "$binary")"
        done
        ;;
    *) echo "build type $build_type is not hardened; hardening not checked" ;;
esac

section "menu entry"
desktop=$root/usr/share/applications/quillory.desktop
key() { sed -n "s/^$1=//p" "$desktop"; }
expect_eq "first line opens the entry" "[Desktop Entry]" "$(head -n 1 "$desktop")"
expect_eq "only key=value lines, comments and blanks" "" \
    "$(grep -v -E '^(\[Desktop Entry\]|#.*|[A-Za-z0-9-]+(\[[A-Za-z_@]+\])?=.*|)$' "$desktop")"
expect "is UTF-8" iconv -f UTF-8 -t UTF-8 -o /dev/null "$desktop"
expect_eq "type" Application "$(key Type)"
expect_eq "name" "家庭記帳 Quillory" "$(key Name)"
expect_eq "not in a terminal" false "$(key Terminal)"
categories=$(key Categories)
expect_contains "category Office" ";$categories" ";Office;"
expect_contains "category Finance" ";$categories" ";Finance;"
exec_program=$(key Exec | awk '{ print $1 }')
expect "Exec runs a program of the package" test -x "$root/usr/bin/$exec_program"
expect_eq "Exec runs the launcher" quillory-start "$exec_program"
icon=$(key Icon)
expect "scalable icon $icon.svg" grep -q '<svg' "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg"

section "icon sizes"
# A PNG's width and height are the big-endian words at bytes 16 and 20.
png_size() { od -A n -t u1 -j 16 -N 8 "$1" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4 "x" $5*16777216 + $6*65536 + $7*256 + $8 }'; }
pngs=0
for dir in "$root"/usr/share/icons/hicolor/*x*/apps; do
    size=$(basename "$(dirname "$dir")")
    file=$dir/$icon.png
    expect "$size: a PNG" test "$(head -c 8 "$file" | od -A n -t x1 | tr -d ' \n')" = 89504e470d0a1a0a
    expect_eq "$size: drawn at its size" "$size" "$(png_size "$file")"
    pngs=$((pngs + 1))
done
expect_eq "PNG sizes from 16 to 256" "16x16 22x22 24x24 32x32 48x48 64x64 128x128 256x256" \
    "$(cd "$root/usr/share/icons/hicolor" && ls -d *x* | sort -n | xargs)"

section "dependencies"
depends=$(field Depends)
# Every package named, alternatives included, with version constraints left out.
named=" $(printf '%s' "$depends" | tr ',|' '\n\n' | awk '{ print $1 }' | xargs) "
# What the programs link, as "program library path" lines.
for program in quillory quillory-import quillory-newdb quillory-notice; do
    resolved=$(ldd "$root/usr/bin/$program")
    for library in $(readelf -d "$root/usr/bin/$program" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'); do
        # ldd shows "lib => path (addr)", but the dynamic loader as "path (addr)" alone.
        path=$(awk -v l="$library" '$1 == l { print $3; exit } substr($1, length($1) - length(l)) == "/" l { print $1; exit }' <<<"$resolved")
        if [ -z "$path" ]; then
            failed "$program: $library not found"
            continue
        fi
        echo "$program $library $path"
    done
done >"$tmp/linked"
# Which package owns each file, asked in one go (dpkg -S is slow) and under both names of
# the /usr merge, since dpkg knows a file only by the name its package gave it.
declare -A owners
while read -r _ _ path; do
    real=$(readlink -f "$path")
    printf '%s\n' "$path" "$real" "${real#/usr}" "/usr$path"
done <"$tmp/linked" | sort -u >"$tmp/candidates"
# Loaded by Qt while running: the SQLite driver, the X11 platform plugin, the standard
# buttons' translation and the Ming and Kai faces.
runtime=(sqldrivers/libqsqlite.so platforms/libqxcb.so qtbase_zh_TW.qm arphic/uming.ttc arphic/ukai.ttc)
while IFS= read -r line; do
    owners[${line#*: }]=${line%%[:,]*}
done < <(xargs -d '\n' dpkg -S <"$tmp/candidates" 2>/dev/null; dpkg -S "${runtime[@]/#/*/}" 2>/dev/null)
owner_of() {
    local real
    real=$(readlink -f "$1")
    for candidate in "$1" "$real" "${real#/usr}" "/usr$1"; do
        [ -n "${owners[$candidate]:-}" ] && printf '%s' "${owners[$candidate]}" && return 0
    done
    return 1
}
covered() { # covered WHAT PACKAGE
    if [ -z "$2" ]; then
        failed "$1 belongs to no package"
    else
        expect_contains "$1 is covered" "$named" " $2 "
    fi
}
while read -r program library path; do
    covered "$program links $library ($path)" "$(owner_of "$path")"
done <"$tmp/linked"
for file in "${runtime[@]}"; do
    package=""
    for path in "${!owners[@]}"; do
        case "$path" in */"$file") package=${owners[$path]} ;; esac
    done
    covered "run-time file $file" "$package"
done
# Each clause must be met by a package installed here, at a version it accepts.
IFS=, read -r -a clauses <<<"$depends"
for clause in "${clauses[@]}"; do
    met=0
    IFS='|' read -r -a choices <<<"$clause"
    for choice in "${choices[@]}"; do
        read -r package relation version <<<"$(printf '%s' "$choice" | tr -d '()')"
        installed=$(dpkg-query -W -f='${Status} ${Version}' "$package" 2>/dev/null | sed -n 's/^install ok installed //p')
        [ -n "$installed" ] || continue
        if [ -z "${relation:-}" ] || dpkg --compare-versions "$installed" "$relation" "$version"; then
            met=1
        fi
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
