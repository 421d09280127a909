#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The window under wine on the simulated LAN, inside scripts/netlab: Xvfb,
# muxconfig.exe with the windows platform, its first refresh against the
# demo fleet, a screenshot of it. Fails when no window or no device appears.
#   scripts/netlab tests/windows/wine_window.sh STAGE-DIR MUXSIM SCREENSHOT.png
set -uo pipefail
stage=$1 muxsim=$2 shot=$3
work=$(mktemp -d)
pids=()
cleanup() {
    wineserver -k 2>/dev/null
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; wait "${pids[i]}" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
$MUXLAN_EXEC "$muxsim" --config scripts/demo-data/fleet.json --log "$work/sim.log" --ready-file "$work/ready" \
    >"$work/sim.out" 2>&1 &
pids+=($!)
exec 3<>"$work/displayfd"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset >"$work/xvfb.out" 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do [[ -s "$work/displayfd" ]] && break; sleep 0.05; done
export DISPLAY=":$(head -1 "$work/displayfd")"
wineboot -i >/dev/null 2>&1
wine "$stage/muxconfig.exe" >"$work/window.out" 2>&1 &
pids+=($!)
title='^Konfiguracja multipleksera LAN \(v1\.10\)$'
for _ in $(seq 1 300); do xdotool search --name "$title" >/dev/null 2>&1 && break; sleep 0.1; done
# The first discovery: 2 s of listening, then half a second per device read.
sleep 10
window=$(xdotool search --name "$title" | head -1)
[[ -n $window ]] || { echo "no window"; cat "$work/window.out"; exit 1; }
import -window "$window" "$shot" || exit 1
# The fleet answered the window: its requests are in muxsim's log.
grep -q . "$work/sim.log" || { echo "the fleet heard nothing"; exit 1; }
echo "screenshot: $shot"
