#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs a command with name lookups that never leave the machine: its own
# hosts file and resolver configuration bind-mounted over /etc. Must run in
# a private mount namespace (scripts/netlab gives one).
#   offline_names.sh files COMMAND...       hosts file only
#   offline_names.sh silent-dns COMMAND...  hosts file, then a DNS server on
#                                           127.0.0.1 that the test keeps silent
set -e
mode=$1; shift
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cat > "$dir/hosts" <<'HOSTS'
127.0.0.1 localhost
127.0.0.1 muxpeer.test
192.168.1.254 lanpeer.test
HOSTS
case "$mode" in
files)
    echo "hosts: files" > "$dir/nsswitch.conf"
    : > "$dir/resolv.conf" ;;
silent-dns)
    echo "hosts: files dns" > "$dir/nsswitch.conf"
    printf 'nameserver 127.0.0.1\noptions timeout:2 attempts:1\n' > "$dir/resolv.conf" ;;
*)
    echo "offline_names.sh: unknown mode $mode" >&2; exit 2 ;;
esac
for f in hosts nsswitch.conf resolv.conf; do
    [ -e "/etc/$f" ] || { echo "offline_names.sh: /etc/$f missing" >&2; exit 2; }
    mount --bind "$dir/$f" "/etc/$f"
done
# A name service cache would answer from the host's configuration.
[ -d /var/run/nscd ] && mount -t tmpfs none /var/run/nscd
"$@"
