#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The command line where there is no display and no network, as over SSH:
# a mistyped subcommand gets the usage and status 2 (never the window's
# application, which aborts without a display); the help is Polish, Qt's
# own words too; `check` judges a plan with no interface at all; an endless
# plan source ends promptly with status 2.
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
# FILE holds a line matching PATTERN; "nothing": FILE is empty. Either way
# it is UTF-8 with no control character but the line break: safe on a terminal.
holds() {
    iconv -f UTF-8 -t UTF-8 "$1" >/dev/null 2>&1 && ! LC_ALL=C.UTF-8 grep -qP '[\x{0}-\x{9}\x{b}-\x{1f}\x{7f}-\x{9f}]' "$1" &&
        if [[ $2 == nothing ]]; then [[ ! -s $1 ]]; else grep -q -- "$2" "$1"; fi
}
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
expect 0 nothing '^Opcje:$' -- --help # Qt's own words in Polish too
expect 0 nothing 'plan poprawny, urządzeń: 1' -- check "$work/good.csv"
expect 0 nothing '^00:0E:C6:4A:10:03,192.168.1.50,255.255.255.0$' -- check --format csv "$work/good.csv"
expect 2 'bad.csv: wiersz 2: Adres IP jest adresem rozgłoszeniowym' nothing -- check "$work/bad.csv"
expect 0 nothing 'plan poprawny' -- check - <"$work/good.csv"
expect 2 'plik większy niż 1 MiB' nothing -- check /dev/zero
expect 2 'plik większy niż 1 MiB' nothing -- apply /dev/zero
expect 2 'No such file' nothing -- check "$work/missing.csv"
# Control bytes (C0, DEL, C1 raw and as UTF-8) in a plan, its path and an interface name reach the terminal escaped.
printf 'mac,address,mask\n00:0E:C6:4A:10:03\x1b[2J\x7f\x9b\xc2\x9b,10.0.0.5/\x1b]0;x\x07,\n' >"$work/c1.csv"
expect 2 'MAC "00:0E:C6:4A:10:03\\x1b\[2J\\x7f\\x9b\\x9b"' nothing -- check "$work/c1.csv"
expect 2 'prefiksu /\\x1b\]0;x\\x07 ' nothing -- check "$work/c1.csv"
expect 2 'x\\x1b\[2J\\x9b.csv: No such file' nothing -- check "$work/x"$'\x1b[2J\xc2\x9b'.csv
cp "$work/good.csv" "$work/ok"$'\xc2\x9b'.csv
expect 0 nothing 'ok\\x9b.csv: plan poprawny' -- check "$work/ok"$'\xc2\x9b'.csv
expect 2 'o nazwie "\\x1b\[31m\\x9b"' nothing -- --interface $'\x1b[31m\xc2\x9b' list
echo "$failures failed"
((failures == 0))
