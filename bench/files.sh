#!/usr/bin/env bash
# Files between two copies on a namespace LAN against a bare TLS 1.3 stream between the same two hosts in the same
# run (bench/bare_tls.py: OpenSSL through Python's ssl module, 1 MiB a read and a write): one file of 1 GiB, and 10,000 files of
# 4 KiB against the stream carrying their tar. During each, a listed probe on a third host connects to each copy
# again and again; each copy's memory growth is its peak resident size less its size before.
# Usage: files.sh BUILD_DIR   (root: network namespaces)
set -euo pipefail
build=$(readlink -f "$1")
parley="$build/parley"
source "$(dirname "${BASH_SOURCE[0]}")/../tests/e2e/lan.sh"
ann=198.18.0.11
bob=198.18.0.12
probe=198.18.0.13
# What arrives, for Parley and for the bare stream alike, lands in memory: on the disk, what the file system does
# with thousands of new names (and with the names the previous run deleted) outweighs the transfer.
mkdir -p "$work/disk"
mount -t tmpfs -o size=6g tmpfs "$work/disk"
trap 'umount -l "$work/disk" 2>/dev/null; lan_cleanup' EXIT
received="$work/disk/received"
ini_of() { # name peer-address peer-name
    printf '[SYSTEM]\\r\\nUserName=%s\\r\\n[Startup]\\r\\nAutoRun=1\\r\\nRestoreText=0\\r\\n[Private]\\r\\nEnabled=1\\r\\n[Files]\\r\\nFolder=%s\\r\\nAcceptVerified=1\\r\\n[Users]\\r\\nCount=2\\r\\nUserA0=%s\\r\\nUserN0=%s\\r\\nUserA1=%s\\r\\nUserN1=probe\\r\\n' \
        "$1" "$received" "$2" "$3" "$probe"
}
host_up a "$ann"
host_up b "$bob"
host_up c "$probe"
start_x
start_copy a "$(ini_of Ann "$bob" Bob)"
start_copy b "$(ini_of Bob "$ann" Ann)"
wait_private_pair
verify_ann_at_bob "$(ini_of Bob "$ann" Ann)"

src="$work/src"
mkdir -p "$src/small" "$work/disk/bare"
head -c $((1024 * 1024 * 1024)) /dev/urandom >"$src/big.bin"
python3 -c "
import os, sys
for n in range(1, 10001):
    with open(os.path.join(sys.argv[1], 'f%d' % n), 'wb') as f:
        f.write(os.urandom(4096))
" "$src/small"
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -subj /CN=bare -days 1 \
    -keyout "$work/bare.key" -out "$work/bare.crt" 2>/dev/null
sync
now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }
hwm_kb() { awk '/^VmHWM/ {print $2}' "/proc/$1/status"; }

# The bare stream: a server on Bob's host writes what arrives to a file (or to tar), a client on Ann's sends it.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bare() { # sink-command source-command
    rm -f "$work/bare.ready"
    in_host b sh -c "python3 '$here/bare_tls.py' server $bob 4433 '$work/bare.crt' '$work/bare.key' 2>'$work/bare.ready' | $1" &
    local server=$!
    for _ in $(seq 100); do grep -q ready "$work/bare.ready" 2>/dev/null && break; sleep 0.05; done
    local start
    start=$(now)
    in_host a sh -c "$2 | python3 '$here/bare_tls.py' client $bob 4433"
    wait "$server"
    seconds "$start" "$(now)"
}
# The better of two runs: the first may meet the disk still writing what was just made.
best() { awk -v a="$1" -v b="$2" 'BEGIN { print (a < b ? a : b) }'; }
bare_big=$(bare "cat >'$work/disk/bare/big.bin'" "cat '$src/big.bin'")
rm -f "$work/disk/bare/big.bin"
bare_big=$(best "$bare_big" "$(bare "cat >'$work/disk/bare/big.bin'" "cat '$src/big.bin'")")
cmp -s "$src/big.bin" "$work/disk/bare/big.bin" || fail "the bare stream lost bytes"
rm -f "$work/disk/bare/big.bin"
bare_small=$(bare "tar -x -C '$work/disk/bare'" "tar -c -C '$src' small")
[[ $(find "$work/disk/bare/small" -type f | wc -l) -eq 10000 ]] || fail "the bare tar lost files"

# Parley: from the command to the last file under its name at Bob's, the probe meanwhile.
parley_send() { # seconds-of-probing done-test paths...
    local probing=$1 done_test=$2
    shift 2
    local before_a before_b start
    before_a=$(rss_kb "$pid_a")
    before_b=$(rss_kb "$pid_b")
    # The peak so far is the size now: what the transfer adds shows as the peak's growth.
    echo 5 >"/proc/$pid_a/clear_refs" 2>/dev/null || true
    echo 5 >"/proc/$pid_b/clear_refs" 2>/dev/null || true
    in_host c "$build/bench/lan_peers" probe "$ann" "$probe" "$probing" >"$work/probe_a.out" &
    local probe_a=$!
    start=$(now)
    in_host a "$parley" --send "$@" --to "$bob" >/dev/null
    until eval "$done_test"; do sleep 0.02; done
    local took
    took=$(seconds "$start" "$(now)")
    wait "$probe_a" || true
    echo "$took $(( ($(hwm_kb "$pid_a") - before_a) / 1024 )) $(( ($(hwm_kb "$pid_b") - before_b) / 1024 )) $(number_of "$work/probe_a.out")"
}
number_of() { grep -o 'longest wait [0-9.]*' "$1" | awk '{print $3}'; }
# A file takes its name only once its hash matched: its name is the end.
read -r big_s big_mem_a big_mem_b big_probe < <(parley_send 6 "[[ -f '$received/big.bin' ]]" "$src/big.bin")
cmp -s "$src/big.bin" "$received/big.bin" || fail "the big file did not arrive as sent"
read -r small_s small_mem_a small_mem_b small_probe < <(parley_send 6 "[[ \$(find '$received/small' -type f 2>/dev/null | wc -l) -eq 10000 ]]" "$src/small")
diff -r "$src/small" "$received/small" >/dev/null || fail "the small files did not arrive as sent"
echo "files: 1 GiB in $big_s s against the bare TLS stream's $bare_big s, ratio $(ratio "$bare_big" "$big_s") of its speed;" \
    "memory growth Ann $big_mem_a MiB, Bob $big_mem_b MiB; the probe's longest wait on Ann $big_probe ms"
echo "files: 10,000 x 4 KiB in $small_s s against their tar on the bare stream's $bare_small s, ratio" \
    "$(ratio "$bare_small" "$small_s") of its speed; memory growth Ann $small_mem_a MiB, Bob $small_mem_b MiB;" \
    "the probe's longest wait on Ann $small_probe ms"
