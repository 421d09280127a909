#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the playbook of docs/fleet.md with a local connection over two
# simulated shops, in check mode and for real, then once more: each shop is
# its own private LAN (scripts/netlab) with its own simulated multiplexers,
# one of which refuses the login, and the playbook reaches each shop's
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
shop shop1 '[{"ip": "192.168.1.10", "mac": "00:0E:C6:00:11:01"}, {"ip": "192.168.1.20", "mac": "00:0E:C6:00:11:02"}]'
shop shop2 '[{"ip": "10.0.0.7", "mac": "00:0E:C6:00:21:01"},
             {"ip": "10.0.0.9", "mac": "00:0E:C6:00:21:02", "faults": {"deny_login": true}}]'
# Shop 1 as a spreadsheet saves it, shop 2 as `list --format csv` prints it, edited.
printf '\xEF\xBB\xBFadres mac;adres;maska;uwagi\r\n000e.c600.1101;192.168.1.110;24;"kasa; 1"\r\n00-0e-c6-00-11-02;192.168.1.120;255.255.255.0;\r\n' \
    >"$work/shop1.csv"
printf 'address,mask,mac,port,flag_e,read_ok,address_shared\n10.0.0.21,255.0.0.0,00:0E:C6:00:21:01,1153,false,true,false\n10.0.0.29,255.0.0.0,00:0E:C6:00:21:02,1153,false,true,false\n' \
    >"$work/shop2.csv"

cat >"$work/inventory.ini" <<INVENTORY
[shops]
shop1 muxconfig="nsenter -t $(cat "$work/shop1.ws") -n $muxconfig" plan=$work/shop1.csv
shop2 muxconfig="nsenter -t $(cat "$work/shop2.ws") -n $muxconfig" plan=$work/shop2.csv
[shops:vars]
ansible_connection=local
ansible_python_interpreter=/usr/bin/python3
results_dir=$work/results
INVENTORY
mkdir -p "$work/home"
# playbook NAME ARGUMENTS...: runs it, keeps its output in NAME.out and its status in NAME.rc.
playbook() {
    local name=$1 status=0
    shift
    HOME="$work/home" ANSIBLE_LOCAL_TEMP="$work/home/tmp" ANSIBLE_NOCOLOR=1 \
        ansible-playbook -i "$work/inventory.ini" "$src/docs/fleet/apply.yml" "$@" >"$work/$name.out" 2>&1 || status=$?
    echo "$status" >"$work/$name.rc"
    sed -n '/PLAY RECAP/,$p' "$work/$name.out"
}
# Looking first changes nothing and already fails shop 2 on its device that
# refuses the login; the real run changes shop 1 and shop 2's other device and
# fails shop 2; a re-run of shop 1 has nothing to do.
playbook check --check -e snapshot=false
playbook real
playbook again --limit shop1 -e snapshot=false

python3 - "$work" <<'CHECK'
import json, os, re, sys
work = sys.argv[1]
failed = False
def expect(what, got, want):
    global failed
    if got != want:
        print(f"{what}: {got!r}, expected {want!r}")
        failed = True
def recap(run):
    text = open(f"{work}/{run}.out").read()
    return {host: (int(ok), int(changed), int(failures))
            for host, ok, changed, failures in re.findall(r"^(shop\d) +: ok=(\d+) +changed=(\d+) +unreachable=\d+ +failed=(\d+)", text, re.M)}
def changed(run):
    return {host: (values[1] > 0, values[2] > 0) for host, values in recap(run).items()}
def outcomes(name):
    with open(f"{work}/results/{name}.json") as f:
        return [(r["mac"], r["address"], r["result"]) for r in json.load(f)["results"]]
def addresses(shop):
    with open(f"{work}/{shop}.log") as f:
        states = [json.loads(line) for line in f if '"state"' in line]
    return sorted({(s["device"], s["new"]) for s in states if s["field"] == "address" and s["old"] != s["new"]})

# (changed, failed) per shop in the recap (Ansible counts a failed task as
# failed only), and the playbook's status.
expect("check recap", changed("check"), {"shop1": (True, False), "shop2": (False, True)})
expect("check status", open(f"{work}/check.rc").read().strip(), "2")
expect("real recap", changed("real"), {"shop1": (True, False), "shop2": (False, True)})
expect("real status", open(f"{work}/real.rc").read().strip(), "2")
expect("re-run recap", changed("again"), {"shop1": (False, False)})
expect("re-run status", open(f"{work}/again.rc").read().strip(), "0")

expect("shop1 dry run", [r[2] for r in outcomes("shop1.dry-run")], ["planned", "planned"])
expect("shop2 dry run", [r[2] for r in outcomes("shop2.dry-run")], ["planned", "refused"])
expect("shop1 results", outcomes("shop1"), [("00:0E:C6:00:11:01", "192.168.1.110", "unchanged"),
                                              ("00:0E:C6:00:11:02", "192.168.1.120", "unchanged")])
expect("shop2 results", outcomes("shop2"), [("00:0E:C6:00:21:01", "10.0.0.21", "verified"),
                                              ("00:0E:C6:00:21:02", "10.0.0.29", "refused")])
for shop in ("shop1", "shop2"):  # every device, also one that could not be read
    listed = json.load(open(f"{work}/results/{shop}.before.json"))
    expect(f"{shop} snapshot", len(listed if isinstance(listed, list) else listed["devices"]), 2)
expect("shop1 changed", addresses("shop1"), [("00:0E:C6:00:11:01", "192.168.1.110"), ("00:0E:C6:00:11:02", "192.168.1.120")])
expect("shop2 changed", addresses("shop2"), [("00:0E:C6:00:21:01", "10.0.0.21")])
if failed:
    for run in ("check", "real", "again"):
        print(f"--- {run}:"); print(open(f"{work}/{run}.out").read()[-3000:])
sys.exit(1 if failed else 0)
CHECK
echo "playbook: looked first, re-addressed shop 1, failed shop 2 on its refusing device, re-run did nothing"
