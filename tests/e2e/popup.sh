#!/usr/bin/env bash
# End to end: Parley sits in the tray of a desktop (icewm) while another program has the keyboard; a peer on the
# test LAN says a line. The popup must fade in to the opacity set and show the line at the chosen corner, without
# taking the keyboard, and the main window must stay in the tray. The icon does not flash, so nothing else draws
# meanwhile: each step of the fade must reach the X server by itself. Usage: popup.sh PARLEY
set -euo pipefail
parley=$(readlink -f "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/lan.sh"
for tool in icewm xmessage xprop xwininfo dbus-daemon; do command -v "$tool" >/dev/null || skip "needs $tool"; done

host_up a 198.18.0.1
host_up b 198.18.0.2
start_x
# A desktop with a notification area must be up before Parley starts, or Parley shows its window instead.
ip netns exec "$hub" env HOME="$work" icewm >"$work/icewm.log" 2>&1 &
pids+=($!)
for _ in $(seq 200); do in_hub xwininfo -root -tree 2>/dev/null | grep -q '"SystemTray"' && break; sleep 0.05; done
in_hub xwininfo -root -tree | grep -q '"SystemTray"' || skip "icewm's notification area did not appear"
ip netns exec "$hub" xmessage -geometry 400x200+100+300 "I have the keyboard" >/dev/null 2>&1 &
pids+=($!)
start_copy a '[SYSTEM]\r\nUserName=Alice\r\n[Startup]\r\nAutoRun=1\r\nRestoreText=0\r\n[Messages]\r\nFlashIcon=0\r\n[Popup]\r\nTransparent=1\r\nVisibility=80\r\nPosition=3\r\nFadeIn=1\r\n[Users]\r\nCount=1\r\nUserA0=198.18.0.2\r\nUserN0=Bob\r\n'
sleep 2
typing=$(in_hub xdotool search --name "^xmessage$" | head -n 1)
in_hub xdotool windowactivate "$typing" 2>/dev/null || in_hub xdotool windowfocus "$typing"
sleep 0.5
[[ $(in_hub xdotool getactivewindow) == "$typing" ]] || fail "could not give the keyboard to the other window"

# Bob: accepts Alice's connection, connects to her, announces his name and says a line.
ip netns exec "${tag}b" python3 "$here/say_peer.py" 198.18.0.2 198.18.0.1 20 "Hello Alice" >"$work/bob.log" 2>&1 &
pids+=($!)

popup=
for _ in $(seq 50); do
    popup=$(in_hub xdotool search --onlyvisible --name "^Message to you...$" 2>/dev/null | head -n 1) || true
    [[ -n $popup ]] && break
    sleep 0.1
done
[[ -n $popup ]] || fail "no popup appeared"
geometry=$(in_hub xdotool getwindowgeometry "$popup")
grep -q "Position: 818,741" <<<"$geometry" || fail "popup not at Right-Bottom of 1280x800: $geometry"
grep -q "Geometry: 442x44" <<<"$geometry" || fail "popup not 442x44 for one line: $geometry"
# The fade takes half a second; the popup then stays for its 10 s delay.
for _ in $(seq 30); do
    opacity=$(in_hub xprop -id "$popup" _NET_WM_WINDOW_OPACITY | awk '{print $3}')
    ((opacity == 3435973836)) && break
    sleep 0.1
done
((opacity == 3435973836)) || fail "popup opacity is $opacity after 3 s, not 80%"
[[ $(in_hub xdotool getactivewindow) == "$typing" ]] || fail "the popup took the keyboard"
# The tray icon's own window is mapped too, and so is the popup; the main window is the other large one.
for window in $(in_hub xdotool search --onlyvisible --pid "$pid_a" --name '^Quendlewick Parley$' 2>/dev/null); do
    [[ $window == "$popup" ]] && continue
    width=$(in_hub xdotool getwindowgeometry "$window" | awk '/Geometry/ {split($2, size, "x"); print size[1]}')
    ((width < 100)) || fail "the main window came up instead of staying in the tray"
done
echo "ok: the popup showed the line at its corner, translucent, and the keyboard stayed where it was"

# 2. "Restore main window": a second copy's window comes up from the tray for a line, and the keyboard still stays
#    with the other program.
host_up c 198.18.0.3
host_up d 198.18.0.4
start_copy c '[SYSTEM]\r\nUserName=Carl\r\n[Startup]\r\nAutoRun=1\r\nRestoreText=0\r\n[Messages]\r\nRestoreMain=1\r\nShowPopup=0\r\n[Users]\r\nCount=1\r\nUserA0=198.18.0.4\r\nUserN0=Dan\r\n'
sleep 2
in_hub xdotool windowactivate "$typing" 2>/dev/null || in_hub xdotool windowfocus "$typing"
sleep 0.5
{
    echo "Grüße, Carl"
    sleep 6
    echo "Noch etwas, Carl"
} | ip netns exec "${tag}d" python3 "$here/say_peer.py" 198.18.0.4 198.18.0.3 20 >"$work/dan.log" 2>&1 &
pids+=($!)
shown=
for _ in $(seq 50); do
    shown=$(in_hub xdotool search --onlyvisible --pid "$pid_c" --name '^Quendlewick Parley$' 2>/dev/null |
        while read -r w; do in_hub xdotool getwindowgeometry "$w" | grep -q 'Geometry: [0-9]\{3\}' && echo "$w"; done |
        head -n 1) || true
    [[ -n $shown ]] && break
    sleep 0.1
done
[[ -n $shown ]] || fail "the main window did not come up for a line with Restore main window"
sleep 1
[[ $(in_hub xdotool getactivewindow) == "$typing" ]] || fail "the main window, come up for a line, took the keyboard"

# 3. The window is up behind the other program when Dan's next line comes: it is raised above it, and the keyboard
#    still stays.
in_hub xdotool windowraise "$typing"
in_hub xdotool windowactivate "$typing" 2>/dev/null || in_hub xdotool windowfocus "$typing"
stacked_above() { # upper lower: whether window upper is above window lower, bottom to top as the desktop stacks them
    local order=() id k up=-1 low=-1
    for id in $(in_hub xprop -root _NET_CLIENT_LIST_STACKING | grep -o '0x[0-9a-f]*'); do order+=($((id))); done
    for k in "${!order[@]}"; do
        [[ ${order[k]} == "$1" ]] && up=$k
        [[ ${order[k]} == "$2" ]] && low=$k
    done
    ((up >= 0 && low >= 0 && up > low))
}
sleep 0.5
stacked_above "$typing" "$shown" || fail "the other program could not be put above Parley's window"
for _ in $(seq 100); do
    stacked_above "$shown" "$typing" && break
    sleep 0.1
done
stacked_above "$shown" "$typing" || fail "the window was not raised for a line while it was up behind another program"
sleep 1
[[ $(in_hub xdotool getactivewindow) == "$typing" ]] || fail "the window, raised for a line, took the keyboard"
echo "PASS: the popup, the restored window and the raised window showed the line, and the keyboard stayed where it was"
