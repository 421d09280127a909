#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the playbook of docs/fleet.md once, with a local connection, over two
# simulated shops: each shop is its own private LAN (scripts/netlab) with its
# own simulated multiplexers, and the playbook reaches each shop's
# workstation namespace through its muxconfig command (nsenter).
#   fleet_playbook.sh SOURCE_DIR MUXCONFIG MUXSIM
set -euo pipefail
src=$1 muxconfig=$2 muxsim=$3
command -v ansible-playbook >/dev/null || { echo "ansible-playbook missing (scripts/deps installs ansible-core)"; exit 77; }

work=$(mktemp -d)
sims=()
cleanup() {
    for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait || true
    rm -rf "$work"
}
trap cleanup EXIT

# shop NAME DEVICES_JSON: starts the shop's LAN; its workstation's pid goes to NAME.ws.
shop() {
    echo "{\"devices\": $2}" >"$work/$1.json"
    "$src/scripts/netlab" bash -c "\$MUXLAN_EXEC '$muxsim' --config '$work/$1.json' --log '$work/$1.log' \
        --ready-file '$work/$1.ready' >'$work/$1.out' 2>&1 & echo \$! >'$work/$1.sim'; echo \$\$ >'$work/$1.ws'; wait" &
    for _ in $(seq 1 200); do [[ -e "$work/$1.ready" ]] && break; sleep 0.05; done
    [[ -e "$work/$1.ready" ]] || { cat "$work/$1.out"; echo "shop $1 did not start"; exit 1; }
    sims+=("$(cat "$work/$1.sim")")
}
shop shop1 '[{"ip": "192.168.1.10", "mac": "MAC-11"}, {"ip": "192.168.1.20", "mac": "MAC-12"}]'
shop shop2 '[{"ip": "10.0.0.7", "mac": "MAC-21"}]'
printf 'mac,address,mask\nMAC-11,192.168.1.110,255.255.255.0\nMAC-12,192.168.1.120,255.255.255.0\n' >"$work/shop1.csv"
printf 'MAC-21,10.0.0.21,255.0.0.0\nMAC-29,10.0.0.29,255.0.0.0\n' >"$work/shop2.csv"

cat >"$work/inventory.ini" <<INVENTORY
[shops]
shop1 muxconfig="nsenter -t $(cat "$work/shop1.ws") -n $muxconfig" plan=$work/shop1.csv
shop2 muxconfig="nsenter -t $(cat "$work/shop2.ws") -n $muxconfig" plan=$work/shop2.csv
[shops:vars]
ansible_connection=local
ansible_python_interpreter=/usr/bin/python3
results_dir=$work/results
INVENTORY
mkdir -p "$work/results" "$work/home"
HOME="$work/home" ANSIBLE_LOCAL_TEMP="$work/home/tmp" ANSIBLE_NOCOLOR=1 \
    ansible-playbook -i "$work/inventory.ini" "$src/docs/fleet/apply.yml"

python3 - "$work" <<'CHECK'
import json, sys
work = sys.argv[1]
def outcomes(shop):
    with open(f"{work}/results/{shop}.json") as f:
        return [(r["mac"], r["address"], r["result"]) for r in json.load(f)["results"]]
def addresses(shop):
    with open(f"{work}/{shop}.log") as f:
        states = [json.loads(line) for line in f if '"state"' in line]
    return sorted({(s["device"], s["new"]) for s in states if s["field"] == "address" and s["old"] != s["new"]})
expected = {
    "shop1": [("MAC-11", "192.168.1.110", "verified"), ("MAC-12", "192.168.1.120", "verified")],
    "shop2": [("MAC-21", "10.0.0.21", "verified"), ("MAC-29", "10.0.0.29", "not_found")],
}
failed = False
for shop, want in expected.items():
    if outcomes(shop) != want:
        print(shop, "results:", outcomes(shop)); failed = True
    changed = sorted((mac, address) for mac, address, result in want if result == "verified")
    if addresses(shop) != changed:
        print(shop, "devices changed:", addresses(shop)); failed = True
sys.exit(1 if failed else 0)
CHECK
echo "playbook: both shops re-addressed, results collected"
