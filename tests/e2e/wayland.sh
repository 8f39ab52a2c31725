#!/usr/bin/env bash
# End to end: Parley as a native Wayland client of a headless compositor (weston), with no X server to be had (no
# DISPLAY): Qt's platform must be chosen without the person's help. There is no notification area, so the window is
# on the compositor from the start. A peer on the test LAN says a line: it must reach the chat (chat.txt after the
# termination signal), and the copy must end cleanly. Usage: wayland.sh PARLEY
set -euo pipefail
parley=$(readlink -f "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/lan.sh"
command -v weston >/dev/null || skip "needs weston"
plugins=$(find /usr/lib -path '*qt6/plugins/platforms/libqwayland-generic.so' 2>/dev/null | head -n 1)
[[ -n $plugins ]] || skip "needs Qt's Wayland platform (qt6-wayland)"

host_up a 198.18.0.1
host_up b 198.18.0.2
export XDG_RUNTIME_DIR="$work/wayland-run"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
ip netns exec "$hub" env XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" weston --backend=headless-backend.so \
    --socket=parley-wayland --idle-time=0 >"$work/weston.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -S $XDG_RUNTIME_DIR/parley-wayland ]] && break; sleep 0.05; done
[[ -S $XDG_RUNTIME_DIR/parley-wayland ]] || skip "weston's headless compositor did not start"
private_bus

copy_platform= copy_wrapper="env -u DISPLAY -u QT_QPA_PLATFORM WAYLAND_DISPLAY=parley-wayland XDG_SESSION_TYPE=wayland" \
    start_copy a '[SYSTEM]\r\nUserName=Alice\r\n[Startup]\r\nAutoRun=1\r\nRestoreText=0\r\n[Users]\r\nCount=1\r\nUserA0=198.18.0.2\r\nUserN0=Bob\r\n'
for _ in $(seq 100); do in_host a ss -ltn | grep -q ':196 ' && break; sleep 0.05; done
in_host a ss -ltn | grep -q ':196 ' || fail "the Wayland copy does not listen"
in_host b python3 "$here/say_peer.py" 198.18.0.2 198.18.0.1 1 "hello from the LAN"
kill -TERM "$pid_a"
wait_exit "$pid_a" 10 || fail "the Wayland copy did not end within 10 s of SIGTERM"
((status == 0)) || fail "the Wayland copy ended with status $status"
grep -q "Bob: hello from the LAN" "$work/a/chat.txt" || fail "the line is not in chat.txt"
grep -qi "xcb" "$work/a/log" && fail "the Wayland copy tried X11: $(grep -i xcb "$work/a/log" | head -n 1)"
echo "PASS: a native Wayland copy, its platform chosen by itself, got the line and ended cleanly"
