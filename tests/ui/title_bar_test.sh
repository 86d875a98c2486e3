#!/usr/bin/env bash
# On a real window manager (openbox on a virtual 1366x768 screen) at scale 2, the main menu
# opens with its title bar on the screen: before the window manager frames a window, the
# program places the window's inside, so room for the title bar is kept above it.
# Usage: title_bar_test.sh BUILD-FOLDER SOURCE-FOLDER
set -uo pipefail
build=$(cd "$1" && pwd -P)
. "$2/tests/install/checks.sh"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
(cd "$dir" && "$build/quillory-newdb" >/dev/null)
# The inside's top and the frame's top (its inside's top less the title bar's height).
tops=$(cd "$dir" && xvfb-run -a -s "-screen 0 1366x768x24" bash -c '
    openbox >/dev/null 2>&1 &
    sleep 1
    QT_SCALE_FACTOR=2 QT_QPA_PLATFORM=xcb "$0/quillory" >/dev/null 2>&1 &
    for _ in $(seq 100); do
        id=$(xwininfo -root -tree | awk "/\"Quillory\": \\(\"quillory\"/ { print \$1; exit }")
        [ -n "$id" ] && extents=$(xprop -id "$id" _NET_FRAME_EXTENTS | grep -o "[0-9, ]*$") && [ -n "$extents" ] && break
        sleep 0.2
    done
    inside=$(xwininfo -id "$id" | sed -n "s/.*Absolute upper-left Y: *//p")
    echo "$inside $((inside - $(echo "$extents" | cut -d, -f3)))"
    kill %2 %1' "$build")
section "the main menu at scale 2 on 1366x768"
read -r inside frame <<<"$tops"
expect "the window was found (got [$tops])" test -n "${frame:-}"
expect "its title bar is on the screen (frame top $frame)" test "${frame:--1}" -ge 0
finish
