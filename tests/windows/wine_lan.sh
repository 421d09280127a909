#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows program on the simulated LAN, inside scripts/netlab: native
# muxsim plays the demo fleet in the LAN namespace, muxconfig.com runs under
# wine here with a prefix and a wineserver of this namespace. `list` finds
# the fleet, `set` by a decimal MAC changes a device and verifies it, and the
# journal lands in the wine user's local application data.
#   scripts/netlab tests/windows/wine_lan.sh STAGE-DIR MUXSIM
set -uo pipefail
stage=$1 muxsim=$2
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
cleanup() { wineserver -k 2>/dev/null; kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null; rm -rf "$work"; }
$MUXLAN_EXEC "$muxsim" --config scripts/demo-data/fleet.json --log "$work/sim.log" --ready-file "$work/ready" \
    >"$work/sim.out" 2>&1 &
sim=$!
trap cleanup EXIT
wineboot -i >/dev/null 2>&1
for _ in $(seq 1 100); do [[ -e "$work/ready" ]] && break; sleep 0.05; done
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
mux() { timeout 60 wine "$stage/muxconfig.com" "$@"; }

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
printf 'list: %s devices; journal: %s\n' "$found" "${journal#"$WINEPREFIX"/}"
exit $((failures > 0))
