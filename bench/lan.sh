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

echo "== the bare server (baseline)"
coproc SERVE { exec ip netns exec "${tag}p" "$peers" serve "$target"; }
pids+=("$SERVE_PID")
read -r _ <&"${SERVE[0]}"
peer burst "$target" "$first" "$count"
peer cycles "$target" "$first" 2000
peer fanout "$target" "$first" "$count" >"$work/fanout.out" &
fan=$!
for _ in $(seq 400); do grep -q ready "$work/fanout.out" && break; sleep 0.05; done
echo go >&"${SERVE[1]}"
wait "$fan"
grep fanout "$work/fanout.out"
kill "$SERVE_PID"

echo "== Parley with $count users"
start_copy p "[Startup]\r\nAutoRun=1\r\n$users"
wait_listening
sleep 2 # its own connections out to the peers' hosts have failed or settled
peer burst "$target" "$first" "$count"
peer cycles "$target" "$first" 2000
peer flood "$target" "$first" $((4 << 20))
peer fanout "$target" "$first" "$count" >"$work/fanout.out" &
fan=$!
for _ in $(seq 400); do grep -q ready "$work/fanout.out" && break; sleep 0.05; done
wid=$(window_of "$pid_p")
type_line "$wid" "the build is green"
wait "$fan"
grep fanout "$work/fanout.out"
kill "$pid_p"
wait "$pid_p" 2>/dev/null || true

echo "== start with an empty chat.txt and with $chat_mb MB"
python3 - "$work/big.txt" "$chat_mb" <<'PY'
import sys
words = b"the build is green coffee lunch at noon review".split()
with open(sys.argv[1], "wb") as f:
    n = 0
    while f.tell() < int(sys.argv[2]) << 20:
        n += 1
        f.write(b"Bob: " + b" ".join(words[(n * 7 + w * 3) % 9] for w in range(3 + n % 9)) + b"\r\n")
PY
for chat in empty big; do
    rm -rf "$work/p"
    mkdir -p "$work/p"
    [[ $chat == big ]] && cp "$work/big.txt" "$work/p/chat.txt"
    peer first "$target" "$first" >"$work/first.out" &
    probe=$!
    start_copy p "[Startup]\r\nAutoRun=1\r\n$users" "$work/go"
    touch "$work/go"
    wait "$probe"
    sleep 0.5
    echo "$chat chat.txt: $(cat "$work/first.out"); memory $(($(rss_kb "$pid_p") / 1024)) MB"
    kill "$pid_p"
    wait "$pid_p" 2>/dev/null || true
    rm -f "$work/go"
done
