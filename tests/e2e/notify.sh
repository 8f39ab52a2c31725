#!/usr/bin/env bash
# End to end: Parley in the tray of a desktop (icewm) with "Show desktop notification" chosen and a real
# notification server (dunst) on the session bus. A peer on the test LAN says a line: the call to the service is read
# back with dbus-monitor (the sender as the summary, the line escaped, Parley's icon and category, the delay as the
# timeout), the service's answer is sent back as the server would send it, and the window must come up. Then the
# server goes: the next line shows in Parley's own popup. Usage: notify.sh PARLEY
set -euo pipefail
parley=$(readlink -f "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/lan.sh"
for tool in icewm dunst dbus-daemon dbus-monitor dbus-send xwininfo; do command -v "$tool" >/dev/null || skip "needs $tool"; done

host_up a 198.18.0.1
host_up b 198.18.0.2
start_x
# A session bus that starts no services by itself: once the server is gone, nothing brings it back.
private_bus
ip netns exec "$hub" env HOME="$work" icewm >"$work/icewm.log" 2>&1 &
pids+=($!)
for _ in $(seq 200); do in_hub xwininfo -root -tree 2>/dev/null | grep -q '"SystemTray"' && break; sleep 0.05; done
in_hub xwininfo -root -tree | grep -q '"SystemTray"' || skip "icewm's notification area did not appear"
ip netns exec "$hub" env HOME="$work" dunst >"$work/dunst.log" 2>&1 &
dunst_pid=$!
pids+=($dunst_pid)
for _ in $(seq 100); do
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.freedesktop.Notifications 2>/dev/null | grep -q true && break
    sleep 0.05
done
dbus-monitor --session "interface='org.freedesktop.Notifications'" "type='method_return'" >"$work/monitor.log" 2>&1 &
pids+=($!)
start_copy a '[SYSTEM]\r\nUserName=Alice\r\n[Startup]\r\nAutoRun=1\r\nRestoreText=0\r\n[Messages]\r\nDesktopNotification=1\r\n[Popup]\r\nDelay=7\r\n[Users]\r\nCount=1\r\nUserA0=198.18.0.2\r\nUserN0=Bob\r\n'
sleep 2

# Bob: accepts Alice's connection, connects to her, announces his name and says each line when told.
mkfifo "$work/say"
ip netns exec "${tag}b" python3 "$here/say_peer.py" 198.18.0.2 198.18.0.1 30 <"$work/say" >"$work/bob.log" 2>&1 &
pids+=($!)
exec {say}>"$work/say"
sleep 0.5
echo "<i>Hello</i> Alice" >&$say

for _ in $(seq 50); do grep -q 'member=Notify' "$work/monitor.log" && break; sleep 0.1; done
call=$(awk '/member=Notify/ {found = 1} found' "$work/monitor.log" | head -n 40)
grep -q 'member=Notify' <<<"$call" || fail "no Notify call reached the service"
for expected in 'string "Parley"' 'string "org.quendlewick.Parley"' 'string "Bob"' \
    'string "&lt;i&gt;Hello&lt;/i&gt; Alice"' 'string "im.received"' 'int32 7000' 'string "Answer"'; do
    grep -qF "$expected" <<<"$call" || fail "the Notify call lacks $expected"
done
# The service's reply to that call: the first method return after it that carries a number.
# It may be logged a moment after the call, on a busy machine.
for _ in $(seq 50); do
    id=$(awk '/member=Notify/ {n = 1} n && /^method return/ {r = 1; next} r && /uint32/ {print $2; exit} /^(signal|method)/ {r = 0}' \
        "$work/monitor.log")
    [[ -n $id ]] && break
    sleep 0.1
done
[[ -n $id ]] || fail "the service gave no notification id"
main_window_width() {
    local width=0 w
    for window in $(in_hub xdotool search --onlyvisible --pid "$pid_a" --name '^Quendlewick Parley$' 2>/dev/null); do
        w=$(in_hub xdotool getwindowgeometry "$window" | awk '/Geometry/ {split($2, size, "x"); print size[1]}')
        ((w > width)) && width=$w
    done
    echo "$width"
}
(($(main_window_width) < 100)) || fail "the main window came up before the answer"
dbus-send --session --type=signal /org/freedesktop/Notifications org.freedesktop.Notifications.ActionInvoked \
    "uint32:$id" string:default
for _ in $(seq 50); do (($(main_window_width) >= 100)) && break; sleep 0.1; done
(($(main_window_width) >= 100)) || fail "the answer did not bring the main window up"
echo "ok: the line went to the desktop's notification server, and its answer brought the window up"

# The server goes away; Parley back in the tray: the next line shows in its own popup, without a word.
kill "$dunst_pid"
wait "$dunst_pid" 2>/dev/null || true
wid=$(window_of "$pid_a")
in_hub xdotool windowminimize "$wid"
sleep 1
echo "anyone there?" >&$say
popup=
for _ in $(seq 80); do
    popup=$(in_hub xdotool search --onlyvisible --name "^Message to you...$" 2>/dev/null | head -n 1) || true
    [[ -n $popup ]] && break
    sleep 0.1
done
[[ -n $popup ]] || fail "without a notification server no popup appeared"
in_hub xdotool search --onlyvisible --name "^Parley$" >/dev/null 2>&1 && fail "Parley raised a box"
echo "PASS: desktop notification with a real server, its answer, and the popup when the server is gone"
