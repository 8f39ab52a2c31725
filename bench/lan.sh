#!/usr/bin/env bash
# The scale benchmarks on a namespace LAN, as an office has it: Parley alone on its host (198.18.0.1), 512 peers on
# 512 addresses of a second host (198.18.1.0 on), a bridge between them. Each figure is printed with a baseline
# measured in the same run: a bare server that accepts and announces, or Parley with an empty "chat.txt".
# Usage: lan.sh PARLEY LAN_PEERS [CHAT_MB]   (root: network namespaces)
set -euo pipefail
parley=$(readlink -f "$1")
peers=$(readlink -f "$2")
chat_mb=${3:-100}
source "$(dirname "${BASH_SOURCE[0]}")/../tests/e2e/lan.sh"
count=512
target=198.18.0.1
first=198.18.1.0

start_x
host_up p
ip -n "${tag}p" addr add "$target/16" dev eth0
host_up q
for n in $(seq 0 $((count - 1))); do
    echo "addr add 198.18.$((1 + n / 256)).$((n % 256))/16 dev eth0"
done | ip -n "${tag}q" -batch -
peer() { in_host q "$peers" "$@"; }

users="[Users]\r\nCount=$count\r\n"
for n in $(seq 0 $((count - 1))); do users+="UserA$n=198.18.$((1 + n / 256)).$((n % 256))\r\n"; done
wait_listening() {
    for _ in $(seq 200); do in_host p ss -ltn | grep -q ':196 ' && return; sleep 0.05; done
    fail "nothing listens on 196"
}
rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }

# The number before the word in a line of lan_peers' output: number "ms each" <<<"cycles: ... 0.62 ms each".
number() { grep -o "[0-9.]* $1" | head -1 | cut -d' ' -f1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
# Starts the fan-out peers, lets start_line send the line once all are connected, prints the fan-out figures.
fan_out() { # start_line...
    peer fanout "$target" "$first" "$count" >"$work/fanout.out" &
    local fan=$!
    for _ in $(seq 400); do grep -q ready "$work/fanout.out" && break; sleep 0.05; done
    "$@"
    wait "$fan"
    grep fanout "$work/fanout.out"
}

coproc SERVE { exec ip netns exec "${tag}p" "$peers" serve "$target"; }
pids+=("$SERVE_PID")
read -r _ <&"${SERVE[0]}"
peer burst "$target" "$first" "$count" >/dev/null # the hosts learn each other's addresses first
bare_burst=$(peer burst "$target" "$first" "$count")
bare_cycles=$(peer cycles "$target" "$first" 2000)
bare_fan=$(fan_out eval 'echo go >&"${SERVE[1]}"')
kill "$SERVE_PID"

start_copy p "[Startup]\r\nAutoRun=1\r\n$users"
wait_listening
sleep 2 # its own connections out to the peers' hosts have failed or settled
burst=$(peer burst "$target" "$first" "$count")
cycles=$(peer cycles "$target" "$first" 2000)
flood=$(peer flood "$target" "$first" $((4 << 20)))
wid=$(window_of "$pid_p")
fan=$(fan_out type_line "$wid" "the build is green")
kill "$pid_p"
wait "$pid_p" 2>/dev/null || true

echo "512-peer burst: Parley ${burst#burst: }; bare server ${bare_burst#burst: }; ratio" \
    "$(ratio "$(number "ms$" <<<"$burst")" "$(number "ms$" <<<"$bare_burst")")"
echo "2,000 connect-and-close cycles: Parley $(number "ms each" <<<"$cycles") ms each; bare server" \
    "$(number "ms each" <<<"$bare_cycles") ms each; ratio" \
    "$(ratio "$(number "ms each" <<<"$cycles")" "$(number "ms each" <<<"$bare_cycles")")"
echo "4 MiB burst without a space: ${flood#flood: } (an undisturbed cycle: $(number "ms each" <<<"$cycles") ms)"
echo "fan-out of a typed line to $count peers: Parley $(number "ms from" <<<"$fan") ms first to last; bare write" \
    "loop $(number "ms from" <<<"$bare_fan") ms; ratio" \
    "$(ratio "$(number "ms from" <<<"$fan")" "$(number "ms from" <<<"$bare_fan")")"

python3 - "$work/big.txt" "$chat_mb" <<'PY'
import sys
words = b"the build is green coffee lunch at noon review".split()
with open(sys.argv[1], "wb") as f:
    n = 0
    while f.tell() < int(sys.argv[2]) << 20:
        n += 1
        f.write(b"Bob: " + b" ".join(words[(n * 7 + w * 3) % 9] for w in range(3 + n % 9)) + b"\r\n")
PY
for chat in warm empty big; do # the first start warms the caches for both that count
    rm -rf "$work/p"
    mkdir -p "$work/p"
    [[ $chat == big ]] && cp "$work/big.txt" "$work/p/chat.txt"
    peer first "$target" "$first" >"$work/first.out" &
    probe=$!
    start_copy p "[Startup]\r\nAutoRun=1\r\n$users" "$work/go"
    touch "$work/go"
    wait "$probe"
    sleep 2 # the history read in the background is in
    eval "${chat}_ms=$(number "ms$" <"$work/first.out") ${chat}_kb=$(rss_kb "$pid_p")"
    kill "$pid_p"
    wait "$pid_p" 2>/dev/null || true
    rm -f "$work/go"
done
echo "start with 512 users and a $chat_mb MB chat.txt: answered after $big_ms ms; empty chat.txt $empty_ms ms;" \
    "ratio $(ratio "$big_ms" "$empty_ms"); memory +$(((big_kb - empty_kb) / 1024)) MB above the empty start," \
    "$(ratio "$(((big_kb - empty_kb) / 1024))" "$chat_mb") x the file"
