#!/usr/bin/env bash
# End to end: an office starting at once. N unmodified copies of Parley, each on its own host of the test LAN and
# each listing the other N-1, are let go at the same instant. The test waits for the full mesh (a connection each
# way between every pair), types a line in every copy, kills three copies with SIGKILL and restarts them, waits for
# the mesh again, types a second line everywhere, and checks that every chat log holds every line once, under the
# sender's announced name. Usage: mesh.sh PARLEY [N] [--bench]: with --bench it only prints how long the mesh took.
set -euo pipefail

parley=$(readlink -f "$1")
count="${2:-8}"
bench="${3:-}"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/lan.sh"

address_of() { echo "198.18.0.$1"; }
ini_of() { # i: every other copy is a ticked user; the window sits in its own place on the screen
    local i=$1 n=0 users=""
    for j in $(seq "$count"); do
        ((j == i)) && continue
        users+="UserA$n=$(address_of "$j")\r\nUserN$n=own$j\r\nUserE$n=1\r\n"
        n=$((n + 1))
    done
    printf '[SYSTEM]\\r\\nUserName=h%s\\r\\nLeft=%s\\r\\nTop=%s\\r\\n[Startup]\\r\\nAutoRun=1\\r\\nRestoreText=0\\r\\n[Users]\\r\\nCount=%s\\r\\n%s' \
        "$i" $(((i - 1) % 4 * 180)) $(((i - 1) / 4 % 4 * 100)) "$n" "$users"
}
# Every host's peers, by address, on the connections it accepted and on those it opened.
mesh_missing() {
    local missing=0 i
    for i in $(seq "$count"); do
        local accepted opened
        accepted=$(in_host "h$i" ss -tnH state established '( sport = :196 )' | awk '{print $4}' | cut -d: -f1 | sort -u | wc -l)
        opened=$(in_host "h$i" ss -tnH state established '( dport = :196 )' | awk '{print $4}' | cut -d: -f1 | sort -u | wc -l)
        missing=$((missing + 2 * (count - 1) - accepted - opened))
    done
    echo "$missing"
}
wait_for_mesh() { # what: sets took to the milliseconds it took
    local start=$EPOCHREALTIME missing
    for _ in $(seq 600); do
        missing=$(mesh_missing)
        if ((missing == 0)); then
            took=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%d\n", (b - a) * 1000 }')
            return
        fi
        sleep 0.1
    done
    fail "$1: $missing connections of $((count * (count - 1) * 2)) still missing after 60 s"
}

for i in $(seq "$count"); do host_up "h$i" "$(address_of "$i")"; done
start_x

go="$work/go"
for i in $(seq "$count"); do start_copy "h$i" "$(ini_of "$i")" "$go"; done
sleep 1
touch "$go"
wait_for_mesh "start"
echo "full mesh of $count copies started together: $took ms"
[[ $bench == --bench ]] && exit 0

type_everywhere() { # round
    for i in $(seq "$count"); do
        local pid_var="pid_h$i"
        type_line "$(window_of "${!pid_var}")" "line $1 from h$i"
    done
}
type_everywhere 1

# A power cut on three desks: their copies die without a word and come back.
victims=(1 $(((count + 1) / 2)) "$count")
for v in "${victims[@]}"; do
    pid_var="pid_h$v"
    kill -KILL "${!pid_var}"
done
for v in "${victims[@]}"; do start_copy "h$v" "$(ini_of "$v")"; done
wait_for_mesh "restart"
echo "mesh whole again $took ms after three copies restarted"
type_everywhere 2
sleep 2

for i in $(seq "$count"); do
    pid_var="pid_h$i"
    kill -TERM "${!pid_var}"
done
for i in $(seq "$count"); do
    pid_var="pid_h$i"
    wait "${!pid_var}" || true
done

lost=0
for i in $(seq "$count"); do
    chat="$work/h$i/chat.txt"
    [[ -f $chat ]] || fail "h$i wrote no chat.txt"
    rounds=(2)
    [[ " ${victims[*]} " == *" $i "* ]] || rounds=(1 2)
    for round in "${rounds[@]}"; do
        for j in $(seq "$count"); do
            seen=$(grep -c "^h$j: line $round from h$j"$'\r'"\$" "$chat" || true)
            if [[ $seen != 1 ]]; then
                echo "h$i shows 'h$j: line $round from h$j' $seen times"
                lost=$((lost + 1))
            fi
        done
    done
done
((lost == 0)) || fail "$lost lines missing, repeated or wrongly named"
echo "PASS: $count copies started together, reached the full mesh and every line reached every copy once"
