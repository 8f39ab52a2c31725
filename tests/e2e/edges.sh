#!/usr/bin/env bash
# End to end at the edges, on the test LAN: a peer whose host vanishes without a word and comes back; a termination
# signal while the window is open and chat.txt cannot be written; a full user list at a desktop's limit of 1024 open
# files, with a listed address that opens 1,100 connections; peers that come and go at limits of 1024 and 256; a
# session bus that never answers. Usage: edges.sh PARLEY
set -euo pipefail
parley=$(readlink -f "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/lan.sh"
command -v prlimit >/dev/null || skip "needs prlimit"

host_up a 198.18.0.1
host_up b 198.18.0.2
start_x

# Waits up to SECONDS for a line matching PATTERN in FILE.
wait_for() { # file pattern seconds
    for _ in $(seq $(($3 * 10))); do grep -q "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done
    return 1
}
bare_peer() { # host log: listens on 198.18.0.2:196 and connects to A, as a copy on that host would
    ip netns exec "${tag}$1" python3 "$here/raw_peer.py" listen 198.18.0.2 60 "$work/$2" &
    pids+=($!)
    wait_for "$work/$2" listening 5 || fail "the peer on $1 did not listen"
    ip netns exec "${tag}$1" python3 "$here/raw_peer.py" connect 198.18.0.2 198.18.0.1 60 "$work/$2.out" &
    pids+=($!)
    # Connected before the test goes on: A's own attempts reach the listener too, and a cable pulled meanwhile
    # would leave this peer never connected.
    wait_for "$work/$2.out" "connected" 5 || fail "the peer on $1 did not connect to A"
}

# 1. B's host vanishes (cable out, then power): nothing reaches A. It comes back with the same address and a fresh
#    copy connects: A must open a fresh connection back, though its old one never saw an end.
mkdir -p "$work/a" && mkdir "$work/a/chat.txt" # and A cannot write its chat log: see 2.
start_copy a '[SYSTEM]\r\nUserName=Alice\r\n[Startup]\r\nAutoRun=1\r\nRestoreText=0\r\n[Users]\r\nCount=1\r\nUserA0=198.18.0.2\r\nUserN0=Bob\r\n'
for _ in $(seq 100); do in_host a ss -ltn | grep -q ':196 ' && break; sleep 0.05; done
bare_peer b first.log
wait_for "$work/first.log" "connected 198.18.0.1" 5 || fail "A did not connect back to B"
ip -n "${tag}b" link set eth0 down
for p in "${pids[-1]}" "${pids[-2]}"; do
    disown "$p"
    kill -KILL "$p"
done
# The host comes back as a new machine with the same address: the old one's kernel, with its connections, stays
# cut off until it is gone.
host_up b2 198.18.0.2
back=$(date +%s%N)
bare_peer b2 again.log
wait_for "$work/again.log" "connected 198.18.0.1" 10 || fail "A did not connect again to B, back after vanishing"
echo "ok: a peer back from vanishing got a fresh connection within $((($(date +%s%N) - back) / 1000000)) ms"

# 2. The window is open (no notification area) and chat.txt is a folder: a termination signal still ends A at once,
#    the chat going to a recovered file beside it, and standard error says where.
kill -TERM "$pid_a"
term=$(date +%s%N)
wait_exit "$pid_a" 5 || fail "A did not end within 5 s of SIGTERM after a failed save"
echo "ok: A ended $((($(date +%s%N) - term) / 1000000)) ms after SIGTERM"
((status == 0)) || fail "A ended with status $status"
grep -q "chat.txt could not be written (.*); the chat is in $work/a/chat-recovered-" "$work/a/log" ||
    fail "A did not say where the chat went that chat.txt could not take"
compgen -G "$work/a/chat-recovered-*.txt" >/dev/null || fail "A saved no recovered chat"
echo "ok: SIGTERM ended A at once although chat.txt could not be written, and its chat is in a recovered file"

# 3. A full list at a limit of 1024 open files: 500 peers on host d, each connecting and saying three lines on the
#    connection back. Every line shown is in chat.txt after a termination signal; the copy never crashes.
host_up c 198.18.0.3
host_up d
ip -n "${tag}d" addr add 198.18.1.0/16 dev eth0
ip -n "${tag}c" addr add 198.18.0.3/16 dev eth0
count=500
for n in $(seq 1 $((count - 1))); do echo "addr add 198.18.$((1 + n / 256)).$((n % 256))/16 dev eth0"; done |
    ip -n "${tag}d" -batch -
users="[Users]\r\nCount=$count\r\n"
for n in $(seq 0 $((count - 1))); do users+="UserA$n=198.18.$((1 + n / 256)).$((n % 256))\r\n"; done
copy_wrapper="prlimit --nofile=1024:1024 --" start_copy c "[SYSTEM]\r\nUserName=Carol\r\n[Startup]\r\nAutoRun=1\r\nRestoreText=0\r\n$users"
for _ in $(seq 100); do in_host c ss -ltn | grep -q ':196 ' && break; sleep 0.05; done
in_host d python3 "$here/crowd.py" lines 198.18.0.3 198.18.1.0 "$count" 8 "$work/said.txt"
said=$(wc -l <"$work/said.txt")
# The peers that had C's connection back said their three lines on it: all the limit holds beside the descriptors
# C keeps free for everything else (a thread's start, a save), which no connection takes.
((said >= 3 * (count - 80))) || fail "C connected back to peers that said $said of $((3 * count)) lines within 8 s"
# One listed address opens 1,100 connections and closes them: a fresh one from it is still answered.
coproc HOLD { exec ip netns exec "${tag}d" python3 "$here/crowd.py" hold 198.18.1.0 198.18.0.3 1100 "$work/hold.txt"; }
pids+=("$HOLD_PID")
wait_for "$work/hold.txt" held 60 || fail "the crowd from one address did not open its 1,100 connections"
kill -0 "$pid_c" 2>/dev/null || fail "C died while one address held 1,100 connections"
exec {HOLD[1]}>&-
wait "$HOLD_PID" || true
grep -q announced "$work/hold.txt" || fail "C no longer answers after 1,100 connections from one address"
kill -TERM "$pid_c"
wait_exit "$pid_c" 10 || fail "C did not end within 10 s of SIGTERM"
((status == 0)) || fail "C ended with status $status"
grep -q "open-file limit of 1024" "$work/c/log" || fail "C did not say that its file limit cannot hold the list"
saved=0
while read -r line; do
    grep -qF ": $line" "$work/c/chat.txt" && saved=$((saved + 1))
done <"$work/said.txt"
((saved == said)) || fail "chat.txt holds $saved of the $said lines said to C"
echo "ok: at a limit of 1024, all $said lines said to C were saved, and C answered after 1,100 connections"
# 4. Peers that come and go: each round every peer connects, says a line on the copy's connection back and leaves
#    with all its connections. At a limit of 1024 with 500 of them and at 256 with 150, the copy stays up, keeps the
#    descriptors it reserves for everything else free (a thread or a save that starts then must not fail), and every
#    line said to it is in chat.txt.
flapping() { # host address count limit [private]
    host_up "$1" "$2"
    ip -n "${tag}$1" addr add "$2/16" dev eth0
    local users="[Users]\r\nCount=$3\r\n"
    for n in $(seq 0 $(($3 - 1))); do users+="UserA$n=198.18.$((1 + n / 256)).$((n % 256))\r\n"; done
    local private=""
    [[ ${5:-} == private ]] && private="[Private]\r\nEnabled=1\r\n"
    copy_wrapper="prlimit --nofile=$4:$4 --" start_copy "$1" "[SYSTEM]\r\nUserName=Flo\r\n[Startup]\r\nAutoRun=1\r\nRestoreText=0\r\n$private$users"
    local pid
    pid=$(eval echo "\$pid_$1")
    for _ in $(seq 100); do in_host "$1" ss -ltn | grep -q ':196 ' && break; sleep 0.05; done
    (while kill -0 "$pid" 2>/dev/null; do ls "/proc/$pid/fd" 2>/dev/null | wc -l; sleep 0.2; done) >"$work/$1.fds" &
    in_host d python3 "$here/crowd.py" flap "$2" 198.18.1.0 "$3" 3 "$work/$1.said" ${5:-}
    kill -0 "$pid" 2>/dev/null || fail "the copy with $3 peers coming and going at a limit of $4 died"
    local most
    most=$(sort -n "$work/$1.fds" | tail -n 1)
    ((most <= $4 - 60)) || fail "$most descriptors open at a limit of $4: the reserve was taken"
    kill -TERM "$pid"
    wait_exit "$pid" 10 || fail "the copy did not end within 10 s of SIGTERM"
    local said saved
    said=$(wc -l <"$work/$1.said")
    saved=$(grep -c ": round " "$work/$1/chat.txt" || true)
    ((said > 0 && saved == said)) || fail "$saved of $said lines said to the copy with $3 peers are in chat.txt"
    echo "ok: $3 peers coming and going at a limit of $4 ${5:-}: at most $most descriptors, all $said lines saved"
}
flapping e 198.18.0.5 500 1024
flapping f 198.18.0.6 150 256
# The same with private lines on, every peer holding half handshakes both ways on the private port.
flapping h 198.18.0.8 500 1024 private
flapping i 198.18.0.9 150 256 private
# 5. A session bus that takes the connection and never answers: the copy still starts and listens at once.
python3 "$here/silent_bus.py" "$work/silent-bus" &
pids+=($!)
for _ in $(seq 50); do [[ -S $work/silent-bus ]] && break; sleep 0.1; done
host_up g 198.18.0.7
DBUS_SESSION_BUS_ADDRESS="unix:path=$work/silent-bus" start_copy g '[SYSTEM]\r\nUserName=Gil\r\n[Startup]\r\nAutoRun=1\r\n'
for _ in $(seq 100); do in_host g ss -ltn | grep -q ':196 ' && break; sleep 0.1; done
in_host g ss -ltn | grep -q ':196 ' || fail "a session bus that never answers kept the copy from listening for 10 s"
grep -q "session bus does not answer" "$work/g/log" || fail "the copy did not say that the session bus does not answer"
echo "ok: a session bus that never answers did not keep the copy from starting"
echo "PASS: a vanished peer, a failed save and the file limit lose nothing and hang nothing"
