#!/usr/bin/env bash
# Who is there, on the test LAN: TST_WHO plays the copy on 198.18.0.1 and checks its user view's states, the note
# after a line some ticked peers did not get, the network check and the search for copies, against these hosts:
#   .2 Bob   a peer that connects to us and takes our connection back (both ways)
#   .3 Carl  connects to us; nothing listens on its port 196 (refused)
#   .4 Dan   connects to us; its firewall drops what comes to its port 196 (silent drop)
#   .5       listens and announces "Eve"; not in the list      .6  listens and says nothing; not in the list
#   .7 Gus   a machine where nothing listens                     .8 Hal  listens behind a firewall that drops
# and 246 more addresses of the /24 where no machine is. Usage: who.sh TST_WHO
set -euo pipefail
tst=$(readlink -f "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/lan.sh"
command -v nft >/dev/null || skip "needs nft (nftables)"

for i in 1 2 3 4 5 6 7 8; do host_up "h$i" "198.18.0.$i"; done
drop_port_196() { # host: its firewall drops new connections to port 196, without an answer
    in_host "$1" nft add table inet t
    in_host "$1" nft add chain inet t input '{ type filter hook input priority 0 ; }'
    in_host "$1" nft add rule inet t input tcp dport 196 drop
}
drop_port_196 h4
drop_port_196 h8

wait_for() { # file pattern seconds
    for _ in $(seq $(($3 * 10))); do grep -q "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done
    return 1
}
raw() { # host log raw_peer-arguments...
    local host=$1 log=$2
    shift 2
    ip netns exec "${tag}$host" python3 "$here/raw_peer.py" "$@" >>"$work/$log.err" 2>&1 &
    pids+=($!)
}

mkdir -m 0700 "$work/a"
ip netns exec "${tag}h1" env PARLEY_TEST_LAN=who QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/a" \
    "$tst" >"$work/a/log" 2>&1 &
test_pid=$!
pids+=("$test_pid")
for _ in $(seq 100); do in_host h1 ss -ltn | grep -q ':196 ' && break; sleep 0.1; done
in_host h1 ss -ltn | grep -q ':196 ' || fail "the copy on .1 did not listen on port 196"

ip netns exec "${tag}h2" python3 "$here/say_peer.py" 198.18.0.2 198.18.0.1 120 >"$work/bob.log" 2>&1 &
pids+=($!)
raw h3 carl connect 198.18.0.3 198.18.0.1 120 "$work/carl.out"
raw h4 dan listen 198.18.0.4 120 "$work/dan.in"
raw h4 dan connect 198.18.0.4 198.18.0.1 120 "$work/dan.out"
raw h5 eve listen 198.18.0.5 120 "$work/eve.in" Eve
raw h6 quiet listen 198.18.0.6 120 "$work/quiet.in"
raw h8 hal listen 198.18.0.8 120 "$work/hal.in"
for f in carl.out dan.out eve.in quiet.in hal.in; do
    wait_for "$work/$f" "connected\|listening" 5 || fail "the peer of $f did not start"
done

status=0
wait "$test_pid" || status=$?
cat "$work/a/log"
((status == 0)) || fail "the checks on the LAN failed (status $status)"
# Nobody that only answers a search is told anything but our name, nor kept connected.
if grep -q "^data" "$work/quiet.in"; then fail "the search sent something to a listener: $(cat "$work/quiet.in")"; fi
echo "ok: states, the note, the network check and the search on the LAN"
