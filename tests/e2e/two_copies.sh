#!/usr/bin/env bash
# End to end: two unmodified copies of Parley (hosts A and B) and a bare peer (host C) on a small test LAN made of
# network namespaces: a bridge in a hub namespace and one namespace per host, addresses from 198.18.0.0/24. Every
# process of the test runs inside those namespaces, the X server and the driver included. Usage: two_copies.sh PARLEY
set -euo pipefail

parley=$(readlink -f "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/lan.sh"

host_up a 198.18.0.1
host_up b 198.18.0.2
host_up c 198.18.0.3 198.18.0.4
start_x

# Host C: a bare peer that listens on 198.18.0.3:196 for the whole test.
ip netns exec "${tag}c" python3 "$here/raw_peer.py" listen 198.18.0.3 60 "$work/c-listen.log" &
pids+=($!)

hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }
received_from() { # log address: every byte received from address, as hex
    grep "^data $2 " "$1" | cut -d' ' -f3 | tr -d '\n' || true
}

start_copy a '[SYSTEM]\r\nUserName=Alice\r\nLeft=0\r\nTop=0\r\n[Startup]\r\nAutoRun=1\r\nRestoreText=0\r\n[Users]\r\nCount=2\r\nUserA0=198.18.0.2\r\nUserN0=Bee\r\nUserA1=198.18.0.3\r\nUserN1=Sea\r\n'
wa=$(window_of "$pid_a")
start_copy b '[SYSTEM]\r\nUserName=Bob\r\nLeft=600\r\nTop=0\r\n[Startup]\r\nAutoRun=1\r\nRestoreText=0\r\n[User]\r\nAddNewIP=1\r\n[Users]\r\nCount=1\r\nUserA0=198.18.0.1\r\nUserN0=Ay\r\n'
wb=$(window_of "$pid_b")
sleep 2

# C from a listed address is sent A's name; from an unlisted one it is thrown out without a word.
ip netns exec "${tag}c" python3 "$here/raw_peer.py" connect 198.18.0.3 198.18.0.1 40 "$work/c-to-a.log" &
pids+=($!)
in_host c python3 "$here/raw_peer.py" connect 198.18.0.4 198.18.0.1 5 "$work/c4-to-a.log"
grep -q "^closed 198.18.0.1" "$work/c4-to-a.log" || fail "A kept a connection from an unlisted address"
[[ -z $(received_from "$work/c4-to-a.log" 198.18.0.1) ]] || fail "A sent something to an unlisted address"
sleep 1

type_line "$wa" "hello from A"
type_line "$wb" "hello from B"

# A personal message from A to the peer of its first row (B, whose connection A accepted first).
in_hub xdotool mousemove --window "$wa" 470 38 click --repeat 2 --delay 80 1
for _ in $(seq 50); do
    wp=$(in_hub xdotool search --all --onlyvisible --pid "$pid_a" --name '^Send personal message\.\.\. to Bob$' 2>/dev/null | head -n 1) || true
    [[ -n ${wp:-} ]] && break
    sleep 0.1
done
[[ -n ${wp:-} ]] || fail "the personal-message dialog did not open, or does not name Bob"
in_hub xdotool windowfocus --sync "$wp"
sleep 0.2
in_hub xdotool type --delay 15 "psst"
in_hub xdotool key Return
sleep 1

# Stop! on A ends both directions between A and B.
in_hub xdotool windowfocus --sync "$wa"
in_hub xdotool mousemove --window "$wa" 480 14 click 1
sleep 2
if in_host b ss -tnH state established | grep -q '198.18.0.1'; then
    fail "B still has a connection with A after Stop! on A"
fi

# C connecting to B, which adds unknown addresses: B lists it as "Unknown" and connects back to C.
in_host c python3 "$here/raw_peer.py" connect 198.18.0.3 198.18.0.2 3 "$work/c-to-b.log"
grep -q "^connected 198.18.0.2" "$work/c-listen.log" || fail "B did not connect back to the peer it added"

kill -TERM "$pid_a" "$pid_b"
wait "$pid_a" "$pid_b" || true
chat_a=$(cat "$work/a/chat.txt")
chat_b=$(cat "$work/b/chat.txt")
for line in "Alice: hello from A" "Bob: hello from B" "Alice:: psst"; do
    grep -qF "$line" <<<"$chat_a" || fail "A's chat lacks '$line'"
done
for line in "Alice: hello from A" "Bob: hello from B" "Alice: psst"; do
    grep -qF "$line" <<<"$chat_b" || fail "B's chat lacks '$line'"
done
grep -q $'^UserA1=198.18.0.3\r$' "$work/b/Parley.ini" || fail "B did not keep the added peer"
grep -q $'^UserN1=Unknown\r$' "$work/b/Parley.ini" || fail "the added peer is not named Unknown"
from_a=$(received_from "$work/c-to-a.log" 198.18.0.1)
[[ $from_a == "$(hex $'\x1bAlice')$(hex 'hello from A')" ]] || fail "C got '$from_a' from A"
echo "PASS: two copies and a bare peer talked over the test LAN"
