#!/usr/bin/env bash
# Starts the programs of an unpacked package, inside a private network
# namespace (run it through scripts/netlab), and checks they come up: muxsim
# answers --help, muxconfig keeps running offscreen through its first
# discovery, and on an X server (Xvfb) it shows its window with its title.
#
#   start_installed.sh ROOT LOG_DIR TITLE
set -uo pipefail
root=$1
logs=$2
title=$3
bin=$root/usr/bin

if [[ $(readlink /proc/self/ns/net) == "$(readlink /proc/1/ns/net 2>/dev/null)" ]]; then
    echo "FAIL: refusing to start the programs in the host's network namespace"
    exit 1
fi

if ! "$bin/muxsim" --help >"$logs/muxsim-help.log" 2>&1; then
    cat "$logs/muxsim-help.log"
    echo "FAIL: installed muxsim --help fails"
    exit 1
fi
echo "ok:   installed muxsim answers --help"

# A discovery round takes a little over two seconds; still running after six
# means it came up and settled in its event loop.
QT_QPA_PLATFORM=offscreen timeout 6 "$bin/muxconfig" >"$logs/offscreen.log" 2>&1
rc=$?
if ((rc != 124)); then
    cat "$logs/offscreen.log"
    echo "FAIL: installed muxconfig (offscreen) ended by itself with status $rc"
    exit 1
fi
echo "ok:   installed muxconfig runs offscreen"

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    program=$1 log=$2 title=$3
    QT_QPA_PLATFORM=xcb "$program" >"$log" 2>&1 &
    app=$!
    found=
    # Qt may own more than one top-level X window; the main one carries the title.
    for id in $(timeout 20 xdotool search --sync --name "Konfiguracja multipleksera LAN"); do
        [[ $(xdotool getwindowname "$id") == "$title" ]] && found=$id
    done
    kill "$app" 2>/dev/null
    wait "$app" 2>/dev/null
    if [[ -z $found ]]; then
        cat "$log"
        echo "FAIL: no window titled \"$title\" appeared"
        exit 1
    fi
    echo "ok:   installed muxconfig shows window $found titled \"$title\""
' _ "$bin/muxconfig" "$logs/x11.log" "$title"
