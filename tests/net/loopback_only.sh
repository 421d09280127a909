#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs a command in a fresh network namespace that has only loopback.
set -e
if [ "${MUX_LOOPBACK_ONLY:-}" != 1 ]; then
    if [ "$(id -u)" -eq 0 ]; then
        exec unshare --net --fork env MUX_LOOPBACK_ONLY=1 "$0" "$@"
    fi
    exec unshare --net --user --map-root-user --fork env MUX_LOOPBACK_ONLY=1 "$0" "$@"
fi
ip link set lo up
exec "$@"
