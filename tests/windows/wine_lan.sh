#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows program on the simulated LAN, inside scripts/netlab: native
# muxsim plays the demo fleet in the LAN namespace, muxconfig.com runs under
# wine here with a prefix and a wineserver of this namespace. `list` finds
# the fleet, `set` by a decimal MAC changes a device and verifies it, and the
# journal lands in the wine user's local application data. The same
# commands from the Linux program, against a fresh fleet, must put the same
# datagrams on the wire. Ctrl+C during `list` ends it with 130 after the
# device in hand got its "E".
#   scripts/netlab tests/windows/wine_lan.sh STAGE-DIR MUXSIM LINUX-MUXCONFIG
set -uo pipefail
stage=$1 muxsim=$2 linux=$3
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
stop_fleet() { kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null; }
cleanup() { wineserver -k 2>/dev/null; stop_fleet; rm -rf "$work"; }
# start_fleet LOG: the demo fleet as it is at first, its wire logged to LOG.
start_fleet() {
    rm -f "$work/ready"
    $MUXLAN_EXEC "$muxsim" --config scripts/demo-data/fleet.json --log "$1" --ready-file "$work/ready" \
        >"$work/sim.out" 2>&1 &
    sim=$!
    for _ in $(seq 1 100); do [[ -e "$work/ready" ]] && break; sleep 0.05; done
}
trap cleanup EXIT
wineboot -i >/dev/null 2>&1
start_fleet "$work/sim.log"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
mux() { timeout 60 wine "$stage/muxconfig.com" "$@"; }

# Qt's own words in Polish, from translations/ beside the program.
mux --help 2>/dev/null | grep -q '^Opcje:' || fail "--help: Qt's words are not in Polish"
mux list --format json >"$work/list.json" 2>"$work/list.err"
status=$?
found=$(python3 -c 'import json,sys; print(len(json.load(open(sys.argv[1]))["devices"]))' "$work/list.json" 2>/dev/null)
expected=$(python3 -c 'import json,sys; print(len({d["mac"] for d in json.load(open(sys.argv[1]))["devices"]}))' \
    scripts/demo-data/fleet.json)
# 3: the demo fleet holds a device with another password, as on Linux.
[[ ($status -eq 0 || $status -eq 3) && "$found" -ge "$expected" ]] || fail "list: status $status, $found devices of $expected"

# The decimal form as the devices print it; the device is verified after the change.
mux set 0.14.198.74.16.6 192.168.1.66 255.255.255.0 >"$work/set.out" 2>"$work/set.err" ||
    fail "set: status $? $(head -3 "$work/set.err")"
mux list --format json >"$work/after.json" 2>/dev/null
grep -q '"address": "192.168.1.66"' "$work/after.json" || fail "set: no device at its new address: $(cat "$work/set.out")"
journal=$(find "$WINEPREFIX/drive_c/users" -path '*AppData/Local/muxconfig/journal.jsonl' | head -1)
[[ -n $journal ]] && grep -q '192.168.1.66' "$journal" || fail "no journal record under AppData/Local"

# The wire: what the devices received, in order, from either program.
stop_fleet
start_fleet "$work/linux-sim.log"
export XDG_STATE_HOME=$work/state
"$linux" list --format json >/dev/null 2>&1
"$linux" set 0.14.198.74.16.6 192.168.1.66 255.255.255.0 >/dev/null 2>&1
"$linux" list --format json >/dev/null 2>&1
stop_fleet
wire() { python3 -c 'import json,sys
for line in open(sys.argv[1]):
    e = json.loads(line)
    if e["event"] == "received": print(e["to"], e["payload"])' "$1"; }
wire "$work/sim.log" >"$work/windows.wire"
wire "$work/linux-sim.log" >"$work/linux.wire"
[[ -s $work/linux.wire ]] && diff "$work/linux.wire" "$work/windows.wire" >"$work/wire.diff" ||
    fail "the wire differs from the Linux program's: $(head -8 "$work/wire.diff")"
# Ctrl+C (SIGINT reaches the program as CTRL_C_EVENT) during the reads: 130,
# and the device in hand gets its "E" before the end.
start_fleet "$work/stop-sim.log"
timeout --preserve-status -s INT 4 wine "$stage/muxconfig.com" list >/dev/null 2>"$work/stop.err"
status=$?
stop_fleet
wire "$work/stop-sim.log" | awk '/ W/ { selected = 1 } / E$/ && selected { ended = 1 } END { exit !ended }' &&
    [[ $(wire "$work/stop-sim.log" | tail -1) == *" E" && $status -eq 130 ]] ||
    fail "Ctrl+C in list: status $status, last datagrams $(wire "$work/stop-sim.log" | tail -2 | paste -sd' ') $(cat "$work/stop.err")"
printf 'list: %s devices; journal: %s; wire: %s datagrams as from Linux\n' "$found" "${journal#"$WINEPREFIX"/}" \
    "$(wc -l <"$work/windows.wire")"
exit $((failures > 0))
