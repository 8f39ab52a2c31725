#!/usr/bin/env bash
# The scale benchmarks on a namespace LAN, as an office has it: Parley alone on its host (198.18.0.1), 512 peers on
# 512 addresses of a second host (198.18.1.0 on), a bridge between them. Each figure is printed with a baseline
# measured in the same run: a bare server in C doing the same socket work (bench/bare_server.c), or Parley with an
# empty "chat.txt". The storm's peers are in C too (bench/storm_peers.c), so that they measure the copy, not
# themselves.
# Usage: lan.sh BUILD_DIR [CHAT_MB]   (root: network namespaces)
set -euo pipefail
build=$(readlink -f "$1")
parley="$build/parley"
peers="$build/bench/lan_peers"
chat_mb=${2:-100}
source "$(dirname "${BASH_SOURCE[0]}")/../tests/e2e/lan.sh"
count=512
target=198.18.0.1
first=198.18.1.0

start_x
host_up p
ip -n "${tag}p" addr add "$target/16" dev eth0
host_up q
# The peers' addresses; the last of them is the fan-out's listed probe (a user list holds 512).
address_of() { echo "198.18.$((1 + $1 / 256)).$(($1 % 256))"; }
probe=$(address_of $((count - 1)))
for n in $(seq 0 $((count - 1))); do
    echo "addr add $(address_of "$n")/16 dev eth0"
done | ip -n "${tag}q" -batch -
peer() { in_host q "$peers" "$@"; }
storm() { in_host q "$build/bench/storm_peers" "$target" "$@"; } # first-address count

users="[Users]\r\nCount=$count\r\n"
for n in $(seq 0 $((count - 1))); do users+="UserA$n=$(address_of "$n")\r\n"; done
wait_listening() {
    for _ in $(seq 200); do in_host p ss -ltn | grep -q ':196 ' && return; sleep 0.05; done
    fail "nothing listens on 196"
}
rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }

# The number before the word in a line of lan_peers' output: number "ms each" <<<"cycles: ... 0.62 ms each".
number() { grep -o "[0-9.]* $1" | head -1 | cut -d' ' -f1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
# Starts the fan-out peers, lets start_line send once all are connected, prints the fan-out figures. Each peer
# waits for BYTES; the listed probe connects again and again meanwhile.
fan_out() { # bytes start_line...
    local bytes=$1
    shift
    peer fanout "$target" "$first" $((count - 1)) "$bytes" "$probe" >"$work/fanout.out" &
    local fan=$!
    for _ in $(seq 400); do grep -q ready "$work/fanout.out" && break; sleep 0.05; done
    "$@"
    wait "$fan"
    grep fanout "$work/fanout.out"
}
# 200 lines of 100 bytes, typed in a burst as a person pastes them line by line.
lines=200
python3 -c "
for n in range($lines):
    print(('line %03d: the build is green, the review is at noon, lunch after ' % n).ljust(100, 'x'))
" >"$work/lines.txt"
line_bytes=$((lines * 100))
type_lines() { # window
    in_hub xdotool windowraise "$1"
    in_hub xdotool windowfocus --sync "$1"
    in_hub xdotool mousemove --window "$1" 100 300 click 1
    sleep 0.2
    local keys=() line start=$EPOCHREALTIME
    while IFS= read -r line; do keys+=(type --delay 0 --args 1 "$line" key Return); done <"$work/lines.txt"
    in_hub xdotool "${keys[@]}"
    awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%d\n", (b - a) * 1000 }' >"$work/typing.ms"
}

coproc SERVE { exec ip netns exec "${tag}p" "$build/bench/bare_server" "$target"; }
pids+=("$SERVE_PID")
read -r _ <&"${SERVE[0]}"
storm "$first" "$count" >/dev/null # the hosts learn each other's addresses first
bare_storm=$(storm "$first" "$count")
bare_cycles=$(peer cycles "$target" "$first" 2000)
bare_fan=$(fan_out 1 eval 'echo go >&"${SERVE[1]}"')
bare_lines=$(fan_out "$line_bytes" eval 'cat "$work/lines.txt" >&"${SERVE[1]}"')
kill "$SERVE_PID"

start_copy p "[Startup]\r\nAutoRun=1\r\n$users"
wait_listening
sleep 2 # its own connections out to the peers' hosts have failed or settled
# The copy's first storm after its start is reported as it is; the one compared is the second, as the bare
# server's is (its first taught the hosts each other's addresses).
first_storm=$(storm "$first" "$count")
parley_storm=$(storm "$first" "$count")
cycles=$(peer cycles "$target" "$first" 2000)
flood=$(peer flood "$target" "$first" $((4 << 20)))
# The storm again and again, from the other addresses, while a 4 MiB line arrives from the first.
peer flood "$target" "$first" $((4 << 20)) >"$work/flood.out" &
flooding=$!
slowest=0 longest_probe=0 storms=0
while kill -0 "$flooding" 2>/dev/null; do
    again=$(storm 198.18.1.2 $((count - 2)))
    slowest=$(awk -v a="$slowest" -v b="$(number "ms$" <<<"${again%%$'\n'*}")" 'BEGIN { print (b > a ? b : a) }')
    longest_probe=$(awk -v a="$longest_probe" -v b="$(tail -n 1 <<<"$again" | number "ms$")" \
        'BEGIN { print (b > a ? b : a) }')
    storms=$((storms + 1))
done
wid=$(window_of "$pid_p")
fan=$(fan_out 1 type_line "$wid" "the build is green")
fan_lines=$(fan_out "$line_bytes" type_lines "$wid")
kill "$pid_p"
wait "$pid_p" 2>/dev/null || true

storm_ms() { head -n 1 <<<"$1" | number "ms$"; }
probe_ms() { tail -n 1 <<<"$1" | number "ms$"; }
echo "512-peer storm: Parley $(storm_ms "$parley_storm") ms, bare C server $(storm_ms "$bare_storm") ms; ratio" \
    "$(ratio "$(storm_ms "$parley_storm")" "$(storm_ms "$bare_storm")"); a listed probe's longest wait: Parley" \
    "$(probe_ms "$parley_storm") ms, bare C server $(probe_ms "$bare_storm") ms" \
    "($(head -n 1 <<<"$parley_storm" | cut -d, -f1 | sed 's/burst: //')); the copy's first storm after its start:" \
    "$(storm_ms "$first_storm") ms, probe $(probe_ms "$first_storm") ms"
echo "2,000 connect-and-close cycles: Parley $(number "ms each" <<<"$cycles") ms each, the longest" \
    "$(number "ms$" <<<"$cycles") ms; bare C server $(number "ms each" <<<"$bare_cycles") ms each; ratio" \
    "$(ratio "$(number "ms each" <<<"$cycles")" "$(number "ms each" <<<"$bare_cycles")")"
echo "the storm $storms times over while a 4 MiB line arrives: the slowest $slowest ms, a listed probe's longest" \
    "wait $longest_probe ms; $(cat "$work/flood.out")"
echo "4 MiB burst without a space: ${flood#flood: } (an undisturbed cycle: $(number "ms each" <<<"$cycles") ms)"
echo "fan-out of a typed line to $((count - 1)) peers: Parley $(number "ms from" <<<"$fan") ms first to last; bare C" \
    "server $(number "ms from" <<<"$bare_fan") ms; ratio" \
    "$(ratio "$(number "ms from" <<<"$fan")" "$(number "ms from" <<<"$bare_fan")")"
echo "fan-out of $lines typed lines of 100 bytes to $((count - 1)) peers and a listed probe: Parley $(number "ms from" <<<"$fan_lines") ms" \
    "first to last, a listed probe's longest wait $(number "ms (" <<<"$fan_lines") ms; bare C server, all lines at" \
    "once: $(number "ms from" <<<"$bare_lines") ms, probe $(number "ms (" <<<"$bare_lines") ms" \
    "($(grep -o '[0-9]* of [0-9]* got' <<<"$fan_lines") every byte; xdotool took $(cat "$work/typing.ms") ms to type" \
    "them, which bounds the copy's time)"

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
    let_go "$work/go"
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
