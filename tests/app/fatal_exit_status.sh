#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The real program on a workstation without a network: the first broadcast
# fails, the "UWAGA" box appears, and after OK the program ends with a
# status 1, without sending anything.
#   fatal_exit_status.sh MUXCONFIG
set -euo pipefail
muxconfig=$1

# A namespace of our own with nothing but a loopback that is down.
if [[ "${FATAL_TEST_INSIDE:-}" != 1 ]]; then
    exec unshare --net --fork env FATAL_TEST_INSIDE=1 "$0" "$@"
fi
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
# A virtual screen of our own. Xvfb writes its display number once it takes
# clients; on a loaded machine give it time, and try a fresh one if the first
# cannot be reached. -noreset: otherwise the server resets when the probing
# client leaves and drops the program's connection if it arrives meanwhile.
start_screen() {
    : >"$work/displayfd"
    Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset >>"$work/xvfb.log" 2>&1 3>"$work/displayfd" &
    for _ in $(seq 1 400); do [[ -s "$work/displayfd" ]] && break; sleep 0.05; done
    [[ -s "$work/displayfd" ]] || return 1
    export DISPLAY=":$(head -1 "$work/displayfd")"
    for _ in $(seq 1 100); do timeout 3 xdotool getdisplaygeometry >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}
screen_up=0
for _ in 1 2 3; do start_screen && { screen_up=1; break; }; done
[[ $screen_up == 1 ]] || { echo "FAIL: no virtual screen"; cat "$work/xvfb.log"; exit 1; }
export XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=xcb

"$muxconfig" >"$work/out.log" 2>&1 &
app=$!
box=
for _ in $(seq 1 100); do
    box=$(timeout 3 xdotool search --onlyvisible --name '^UWAGA$' 2>/dev/null | head -1) && [[ -n "$box" ]] && break
    sleep 0.1
done
[[ -n "$box" ]] || { echo "FAIL: no UWAGA box"; cat "$work/out.log" "$work/xvfb.log"; exit 1; }
# The box is up: the program must still be running, waiting for OK.
kill -0 "$app" || { echo "FAIL: the program ended before OK"; exit 1; }
# Press Enter (through XTEST, as a keyboard would) until the box is gone.
for _ in $(seq 1 20); do
    sleep 0.3
    timeout 3 xdotool windowfocus --sync "$box" 2>/dev/null || true
    timeout 3 xdotool key Return 2>/dev/null || true
    kill -0 "$app" 2>/dev/null || break
    found=0
    timeout 3 xdotool search --onlyvisible --name '^UWAGA$' >/dev/null 2>&1 || found=$?
    [[ $found -eq 1 ]] && break # 1: no such window any more
done
status=0
for _ in $(seq 1 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app" 2>/dev/null; then echo "FAIL: still running 5 s after OK"; exit 1; fi
wait "$app" || status=$?
if [[ $status -ne 1 ]]; then echo "FAIL: exit status $status after a fatal socket error, not 1"; cat "$work/out.log"; exit 1; fi
echo "PASS: UWAGA box shown, program ended with status $status after OK"
