#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Starts the programs of an unpacked package inside the simulated LAN (run it
# through scripts/netlab) and checks they come up: the installed muxsim plays
# a device in the LAN namespace; the installed muxconfig, offscreen, keeps
# running through its first discovery and talks to that device; on an X
# server (Xvfb) it shows its window with its title and the window class the
# desktop entry names.
#
#   start_installed.sh ROOT LOG_DIR TITLE WM_CLASS
set -uo pipefail
root=$1
logs=$2
title=$3
wm_class=$4
bin=$root/usr/bin

if [[ $(readlink /proc/self/ns/net) == "$(readlink /proc/1/ns/net 2>/dev/null)" || -z ${MUXLAN_EXEC:-} ]]; then
    echo "FAIL: refusing to start the programs outside the simulated LAN"
    exit 1
fi

# One simulated multiplexer in the LAN namespace.
rm -f "$logs/muxsim.ready"
$MUXLAN_EXEC "$bin/muxsim" --device 192.168.1.10,00:11:22:33:44:55 \
    --log "$logs/muxsim.jsonl" --ready-file "$logs/muxsim.ready" >"$logs/muxsim.out" 2>&1 &
sim=$!
stop_sim() { kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null; }
trap stop_sim EXIT
for _ in $(seq 1 100); do
    [[ -e $logs/muxsim.ready ]] && break
    kill -0 "$sim" 2>/dev/null || break
    sleep 0.1
done
if [[ ! -e $logs/muxsim.ready ]]; then
    cat "$logs/muxsim.out"
    echo "FAIL: installed muxsim did not come up"
    exit 1
fi
echo "ok:   installed muxsim plays a device"

# A discovery round takes a little over two seconds and the device's read a
# few exchanges more; still running after six means the program came up and
# settled in its event loop.
QT_QPA_PLATFORM=offscreen timeout 6 "$bin/muxconfig" >"$logs/offscreen.log" 2>&1
rc=$?
if ((rc != 124)); then
    cat "$logs/offscreen.log"
    echo "FAIL: installed muxconfig (offscreen) ended by itself with status $rc"
    exit 1
fi
# The device heard the discovery broadcast, from the workstation's port 1153,
# and was then read (its subnet mask asked for).
if ! grep '"event":"received"' "$logs/muxsim.jsonl" | grep '"from":"192.168.1.1:1153"' \
        | grep -q '"payload":"X"'; then
    echo "FAIL: the device never received the discovery broadcast from port 1153"
    exit 1
fi
if ! grep '"event":"received"' "$logs/muxsim.jsonl" | grep -q '"payload":"GNM"'; then
    echo "FAIL: the found device was not read (no GNM)"
    exit 1
fi
echo "ok:   installed muxconfig runs offscreen and finds the device"

xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash -c '
    program=$1 log=$2 title=$3 wm_class=$4
    QT_QPA_PLATFORM=xcb "$program" >"$log" 2>&1 &
    app=$!
    found=
    # Qt may own more than one top-level X window; the main one carries the title.
    for id in $(timeout 20 xdotool search --sync --name "Konfiguracja multipleksera LAN"); do
        [[ $(xdotool getwindowname "$id") == "$title" ]] && found=$id
    done
    class=$([[ -n $found ]] && xprop -id "$found" WM_CLASS)
    kill "$app" 2>/dev/null
    wait "$app" 2>/dev/null
    if [[ -z $found ]]; then
        cat "$log"
        echo "FAIL: no window titled \"$title\" appeared"
        exit 1
    fi
    echo "ok:   installed muxconfig shows window $found titled \"$title\""
    if [[ $class != *"\"$wm_class\"" ]]; then
        echo "FAIL: window class is ${class#*= }, the desktop entry says StartupWMClass=$wm_class"
        exit 1
    fi
' _ "$bin/muxconfig" "$logs/x11.log" "$title" "$wm_class"
