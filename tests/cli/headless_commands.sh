#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The command line where there is no display and no network, as over SSH:
# a mistyped subcommand gets the usage and status 2 (never the window's
# application, which aborts without a display); `check` judges a plan with
# no interface at all; an endless plan source ends promptly with status 2.
#   headless_commands.sh MUXCONFIG
set -uo pipefail
muxconfig=$1

# A namespace of our own with nothing in it, not even a loopback that is up.
if [[ "${HEADLESS_TEST_INSIDE:-}" != 1 ]]; then
    exec unshare --net --fork env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HEADLESS_TEST_INSIDE=1 "$0" "$@"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
# FILE holds a line matching PATTERN; "nothing": FILE is empty.
holds() { if [[ $2 == nothing ]]; then [[ ! -s $1 ]]; else grep -q -- "$2" "$1"; fi; }
# expect STATUS STDERR-PATTERN STDOUT-PATTERN -- ARGUMENTS... [< input]
expect() {
    local status=$1 err=$2 out=$3
    shift 4
    local got=0
    timeout 20 "$muxconfig" "$@" >"$work/out" 2>"$work/err" || got=$?
    if [[ $got != "$status" ]] || ! holds "$work/err" "$err" || ! holds "$work/out" "$out"; then
        echo "FAIL: muxconfig $* -> $got (expected $status)"
        sed 's/^/  stderr: /' "$work/err" | head -5
        sed 's/^/  stdout: /' "$work/out" | head -5
        failures=$((failures + 1))
    fi
}

printf '\xEF\xBB\xBFmac;adres;maska\r\n00-0e-c6-4a-10-03;"192.168.001.050";24\r\n' >"$work/good.csv"
printf 'mac,address,mask\n00:0E:C6:4A:10:03,192.168.1.127,255.255.255.128\n' >"$work/bad.csv"

expect 2 'nieznane polecenie "aply"' nothing -- aply "$work/good.csv"
expect 2 'Użycie:' nothing -- --interface lo lsit
expect 0 nothing 'plan poprawny, urządzeń: 1' -- check "$work/good.csv"
expect 0 nothing '^00:0E:C6:4A:10:03,192.168.1.50,255.255.255.0$' -- check --format csv "$work/good.csv"
expect 2 'bad.csv: wiersz 2: Adres IP jest adresem rozgłoszeniowym' nothing -- check "$work/bad.csv"
expect 0 nothing 'plan poprawny' -- check - <"$work/good.csv"
expect 2 'plik większy niż 1 MiB' nothing -- check /dev/zero
expect 2 'plik większy niż 1 MiB' nothing -- apply /dev/zero
expect 2 'No such file' nothing -- check "$work/missing.csv"
echo "$failures failed"
((failures == 0))
