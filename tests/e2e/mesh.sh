#!/usr/bin/env bash
# End to end: an office starting at once. N unmodified copies of Parley, each on its own host of the test LAN and
# each listing the other N-1, are let go at the same instant. The test waits for the full mesh (a connection each
# way between every pair), types a line in every copy, kills three copies with SIGKILL and restarts them, waits for
# the mesh again, types a second line everywhere, and checks that every chat log holds every line once, under the
# sender's announced name. Usage: mesh.sh PARLEY [N] [--bench]: with --bench it only prints how long the mesh took
# (from the start and from the last copy's listening), and each copy's memory and CPU time.
set -euo pipefail

parley=$(readlink -f "$1")
count="${2:-8}"
bench="${3:-}"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/lan.sh"

# Past 254 copies the LAN takes more than one /24: the hosts share a /16.
address_of() { echo "198.18.$(($1 / 256)).$(($1 % 256))"; }
ini_of() { # i: every other copy is a ticked user; the window sits in its own place on the screen
    local i=$1 users user_count
    others_as_users "$i" "$count" ticked
    printf '[SYSTEM]\\r\\nUserName=h%s\\r\\nLeft=%s\\r\\nTop=%s\\r\\n[Startup]\\r\\nAutoRun=1\\r\\nRestoreText=0\\r\\n[Users]\\r\\nCount=%s\\r\\n%s' \
        "$i" $(((i - 1) % 4 * 180)) $(((i - 1) / 4 % 4 * 100)) "$user_count" "$users"
}
hosts_list=()
for i in $(seq "$count"); do hosts_list+=("h$i"); done
# Waits for every copy to listen and for the full mesh (a connection each way between every pair), read from each
# host's sockets; sets listened and took to the milliseconds from the start of the watch to each. With a go-file,
# the watch lets the copies go once it watches.
wait_for_mesh() { # what [go-file]
    local report
    # Ahead of the copies for the processor, so that its clock is not theirs.
    # On two cores an office's start-up takes about half a second a copy, one after another.
    report=$(MESHWATCH_TIMEOUT=${mesh_timeout:-$((60 + count))} nice -n -15 python3 "$here/meshwatch.py" ${2:+--go "$2"} "$tag" \
        "${hosts_list[@]}") ||
        fail "$1: $report"
    listened=$(grep -o 'listening [0-9]*' <<<"$report" | cut -d' ' -f2)
    took=$(grep -o 'mesh [0-9]*' <<<"$report" | cut -d' ' -f2)
}

for i in $(seq "$count"); do host_up "h$i" "$(address_of "$i")/16"; done
know_neighbours
start_x

go="$work/go"
for i in $(seq "$count"); do start_copy "h$i" "$(ini_of "$i")" "$go"; done
sleep 1
wait_for_mesh "start" "$go"
echo "full mesh of $count copies started together: $took ms, $((took - listened)) ms after the last copy listened" \
    "($listened ms)"
if [[ $bench == --bench ]]; then
    for i in $(seq "$count"); do
        pid_var="pid_h$i"
        echo "$(awk '/^VmRSS/ {print $2}' "/proc/${!pid_var}/status") $(cut -d' ' -f14,15 "/proc/${!pid_var}/stat")"
    done | awk -v hz="$(getconf CLK_TCK)" '{ rss += $1; cpu = ($2 + $3) / hz; total += cpu; if (cpu > most) most = cpu }
        END { printf "memory per copy %.1f MiB; CPU per copy %.2f s on average, %.2f s at most\n", rss / NR / 1024,
              total / NR, most }'
    exit 0
fi

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
    wait "${!pid_var}" 2>/dev/null || true # gone, and its connections with it, before the mesh is looked at again
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
