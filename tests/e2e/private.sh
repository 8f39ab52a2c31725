#!/usr/bin/env bash
# End to end: private lines on the test LAN, with the whole LAN captured on every port of its bridge. Six copies with private lines
# on, each listing the others, a copy without them and a bare peer, both listed by the first copy only. A line typed
# in each private copy reaches every private copy once, under its sender's name, and never crosses the LAN in clear;
# the first copy's line still reaches the plain copy and the bare peer in clear, as ever. A copy restarted keeps its
# pins and its private lines; a copy whose key was replaced is refused by the others, is shown a box, and gets none
# of their lines. Usage: private.sh PARLEY
set -euo pipefail

parley=$(readlink -f "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/lan.sh"

count=6
address_of() { echo "198.18.0.$((10 + $1))"; }
plain=198.18.0.30
raw=198.18.0.31
ini_of() { # i
    local i=$1 users user_count
    others_as_users "$i" "$count"
    local n=$user_count
    if ((i == 1)); then
        users+="UserA$n=$plain\r\nUserN$n=plain\r\nUserA$((n + 1))=$raw\r\nUserN$((n + 1))=raw\r\n"
        n=$((n + 2))
    fi
    printf '[SYSTEM]\\r\\nUserName=p%s\\r\\nLeft=%s\\r\\nTop=%s\\r\\n[Startup]\\r\\nAutoRun=1\\r\\nRestoreText=1\\r\\n[Private]\\r\\nEnabled=1\\r\\n[Users]\\r\\nCount=%s\\r\\n%s' \
        "$i" $(((i - 1) % 3 * 300)) $(((i - 1) / 3 * 350)) "$n" "$users"
}

for i in $(seq "$count"); do host_up "p$i" "$(address_of "$i")"; done
host_up q "$plain"
host_up r "$raw"
start_x
# Started directly, not through in_hub, so that $! is the capture itself and the clean-up ends it.
ip netns exec "$hub" python3 "$here/capture.py" any 300 "$work/lan.cap" >"$work/capture.err" 2>&1 &
pids+=($!)

go="$work/go"
for i in $(seq "$count"); do start_copy "p$i" "$(ini_of "$i")" "$go"; done
start_copy q "[SYSTEM]\\r\\nUserName=q\\r\\nLeft=900\\r\\nTop=0\\r\\n[Startup]\\r\\nAutoRun=1\\r\\nRestoreText=0\\r\\n[Users]\\r\\nCount=1\\r\\nUserA0=$(address_of 1)\\r\\nUserN0=own1\\r\\n" "$go"
let_go "$go"

# Private lines are up between every pair: each copy has an established connection to port 1196 of every other.
private_missing() {
    local missing=0 i
    for i in $(seq "$count"); do
        local opened
        opened=$(in_host "p$i" ss -tnH state established '( dport = :1196 )' | awk '{print $4}' | cut -d: -f1 | sort -u | wc -l)
        missing=$((missing + count - 1 - opened))
    done
    echo "$missing"
}
for _ in $(seq 300); do
    [[ $(private_missing) -eq 0 ]] && break
    sleep 0.1
done
[[ $(private_missing) -eq 0 ]] || fail "private lines missing: $(private_missing)"
ip netns exec "${tag}r" python3 "$here/raw_peer.py" connect "$raw" "$(address_of 1)" 90 "$work/raw.log" &
pids+=($!)
sleep 1

# Plain letters: xdotool drops characters outside the keymap when many copies run (German and Russian text is the unit tests').
words=(eins-alpha zwei-beta drei-gamma vier-delta fuenf-epsilon sechs-zeta)
for i in $(seq "$count"); do type_line "$(window_of "$(eval echo "\$pid_p$i")")" "privat ${words[$((i - 1))]}"; done
sleep 2

# A copy restarted keeps its key and pins: its next line goes privately too.
kill -TERM "$pid_p3"
wait "$pid_p3" || true
start_copy p3 "$(ini_of 3)"
for _ in $(seq 100); do [[ $(private_missing) -eq 0 ]] && break; sleep 0.1; done
[[ $(private_missing) -eq 0 ]] || fail "the restarted copy's private lines did not come back"
sleep 1
type_line "$(window_of "$pid_p3")" "nochmal-wieder"
sleep 2

# Somebody else at p2's address: a new key. The others refuse it and p1 says so; it gets none of their lines.
kill -TERM "$pid_p2"
wait "$pid_p2" || true
rm "$work/p2/Parley.key"
start_copy p2 "$(ini_of 2)"
# Every copy that knew p2 says so in a warning; each is answered before typing goes on. p2 is told, once for each
# copy that refuses its new key, whom to call.
boxes_of() {
    in_hub xdotool search --all --onlyvisible --pid "$1" --name '^Parley: a key for private lines$' 2>/dev/null || true
}
for i in 1 3 4 5 6; do
    pid=$(eval echo "\$pid_p$i")
    box=""
    for _ in $(seq 100); do
        box=$(boxes_of "$pid" | head -n 1)
        [[ -n $box ]] && break
        sleep 0.1
    done
    [[ -n $box ]] || fail "p$i showed no box for p2's changed key"
    in_hub xdotool windowfocus --sync "$box" 2>/dev/null || true
    in_hub xdotool key Return
done
told=0
for _ in $(seq 100); do
    box=$(boxes_of "$pid_p2" | head -n 1)
    if [[ -n $box ]]; then
        told=$((told + 1))
        in_hub xdotool windowfocus --sync "$box" 2>/dev/null || true
        in_hub xdotool key Return
        ((told == 5)) && break
    fi
    sleep 0.1
done
[[ $told -ge 1 ]] || fail "p2 was not told that the others refuse its new key"
sleep 1
for i in 1 3 4 5 6; do [[ -z $(boxes_of "$(eval echo "\$pid_p$i")") ]] || fail "p$i's box did not close, or came twice"; done
type_line "$(window_of "$pid_p4")" "nach-dem-Tausch"
sleep 2

pkill -TERM -f "$work/p[0-9]/parley" || true
pkill -TERM -f "$work/q/parley" || true
sleep 2
for i in $(seq "$count"); do
    chat="$work/p$i/chat.txt"
    for j in $(seq "$count"); do
        line="p$j: privat ${words[$((j - 1))]}"
        [[ $(grep -cF "$line" "$chat") -eq 1 ]] || fail "p$i's chat does not hold '$line' once: $(tr '\r\n' '||' <"$chat")"
    done
    [[ $(grep -cF "p3: nochmal-wieder" "$chat") -eq 1 ]] || fail "p$i's chat lacks the restarted copy's line"
done
grep -qF "p4: nach-dem-Tausch" "$work/p2/chat.txt" && fail "the copy with a replaced key got a line"
grep -qF "p4: nach-dem-Tausch" "$work/p1/chat.txt" || fail "p1 lacks p4's line after the key change"
# The plain copy and the bare peer get p1's line in clear, and nothing else of the private copies'.
grep -qF "p1: privat eins-alpha" "$work/q/chat.txt" || fail "the plain copy lacks p1's line"
hex_of() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }
grep "^data " "$work/raw.log" | cut -d' ' -f3 | tr -d '\n' | grep -q "$(hex_of "privat eins-alpha")" ||
    fail "the bare peer lacks p1's line"
# Nothing of the private copies' lines crosses the LAN in clear; p1's line does, to the plain peers.
for j in $(seq 2 "$count"); do
    grep -qaF "${words[$((j - 1))]}" "$work/lan.cap" && fail "p$j's line crossed the LAN in clear"
done
for text in nochmal-wieder nach-dem-Tausch; do
    grep -qaF "$text" "$work/lan.cap" && fail "'$text' crossed the LAN in clear"
done
grep -qaF "eins-alpha" "$work/lan.cap" || fail "the capture saw nothing: p1's plain line is not in it"
echo "PASS: six private copies, a plain copy and a bare peer; $(stat -c %s "$work/lan.cap") bytes captured"
