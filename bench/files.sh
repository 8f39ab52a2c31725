#!/usr/bin/env bash
# Files between two copies on a namespace LAN against a bare TLS 1.3 stream between the same two hosts in the same
# run (bench/bare_tls.py: OpenSSL through Python's ssl module, 1 MiB a read and a write): one file of 1 GiB, and 10,000 files of
# 4 KiB against the stream carrying their tar. During each, a listed probe on a third host connects to each copy
# again and again; each copy's memory growth is its peak resident size less its size before. Three rounds, Parley
# and the bare stream taking turns, so that both meet the same moments of a shared machine; the best of each counts.
# Usage: files.sh BUILD_DIR   (root: network namespaces)
set -euo pipefail
build=$(readlink -f "$1")
parley="$build/parley"
source "$(dirname "${BASH_SOURCE[0]}")/../tests/e2e/lan.sh"
ann=198.18.0.11
bob=198.18.0.12
probe=198.18.0.13
probe_b=198.18.0.14
# What arrives, for Parley and for the bare stream alike, lands in memory: on the disk, what the file system does
# with thousands of new names (and with the names the previous run deleted) outweighs the transfer.
mkdir -p "$work/disk"
mount -t tmpfs -o size=6g tmpfs "$work/disk"
trap 'umount -l "$work/disk" 2>/dev/null; lan_cleanup' EXIT
received="$work/disk/received"
ini_of() { # name peer-address peer-name probe-address
    printf '[SYSTEM]\\r\\nUserName=%s\\r\\n[Startup]\\r\\nAutoRun=1\\r\\nRestoreText=0\\r\\n[Private]\\r\\nEnabled=1\\r\\n[Files]\\r\\nFolder=%s\\r\\nAcceptVerified=1\\r\\n[Users]\\r\\nCount=2\\r\\nUserA0=%s\\r\\nUserN0=%s\\r\\nUserA1=%s\\r\\nUserN1=probe\\r\\n' \
        "$1" "$received" "$2" "$3" "$4"
}
host_up a "$ann"
host_up b "$bob"
host_up c "$probe"
host_up d "$probe_b"
start_x
start_copy a "$(ini_of Ann "$bob" Bob "$probe")"
start_copy b "$(ini_of Bob "$ann" Ann "$probe_b")"
wait_private_pair
verify_ann_at_bob "$(ini_of Bob "$ann" Ann "$probe_b")"

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
# Parley: from the command to the last file under its name at Bob's, a probe on each copy meanwhile.
parley_send() { # seconds-of-probing done-test paths...
    local probing=$1 done_test=$2
    shift 2
    local before_a before_b start
    rm -rf "$received"
    before_a=$(rss_kb "$pid_a")
    before_b=$(rss_kb "$pid_b")
    # The peak so far is the size now: what the transfer adds shows as the peak's growth.
    echo 5 >"/proc/$pid_a/clear_refs" 2>/dev/null || true
    echo 5 >"/proc/$pid_b/clear_refs" 2>/dev/null || true
    in_host c "$build/bench/lan_peers" probe "$ann" "$probe" "$probing" >"$work/probe_a.out" &
    local probe_a=$!
    in_host d "$build/bench/lan_peers" probe "$bob" "$probe_b" "$probing" >"$work/probe_b.out" &
    local probe_b_pid=$!
    start=$(now)
    in_host a "$parley" --send "$@" --to "$bob" >/dev/null
    until eval "$done_test"; do sleep 0.02; done
    local took
    took=$(seconds "$start" "$(now)")
    wait "$probe_a" "$probe_b_pid" || true
    echo "$took $(( ($(hwm_kb "$pid_a") - before_a) / 1024 )) $(( ($(hwm_kb "$pid_b") - before_b) / 1024 ))" \
        "$(number_of "$work/probe_a.out") $(number_of "$work/probe_b.out")"
}
number_of() { grep -o 'longest wait [0-9.]*' "$1" | awk '{print $3}'; }
# Files go in the order the folder lists them and each takes its name only once its hash matched, so the last one's
# name is the end (looking for it costs the machine less than counting 10,000 names every 20 ms).
last_small=$(ls -f "$src/small" | grep -v '^\.\.\?$' | tail -n 1)
runs() { tr ' ' '\n' <<<"$1" | sort -n | awk 'NF { a[n++] = $1 } END { printf (n > 1 ? "%s–%s" : "%s"), a[0], a[n-1] }'; }
low() { tr ' ' '\n' <<<"$1" | sort -n | awk 'NF { print; exit }'; }
high() { tr ' ' '\n' <<<"$1" | sort -n | tail -n 1; }
rounds=${PARLEY_FILES_ROUNDS:-3}
for round in $(seq "$rounds"); do
    bare_big+=" $(bare "cat >'$work/disk/bare/big.bin'" "cat '$src/big.bin'")"
    cmp -s "$src/big.bin" "$work/disk/bare/big.bin" || fail "the bare stream lost bytes"
    rm -f "$work/disk/bare/big.bin"
    read -r s ma mb pa pb < <(parley_send 6 "[[ -f '$received/big.bin' ]]" "$src/big.bin")
    cmp -s "$src/big.bin" "$received/big.bin" || fail "the big file did not arrive as sent"
    big_s+=" $s" big_mem+=" $ma $mb" big_probe+=" $pa $pb"
    echo "round $round, 1 GiB: Parley $s s, bare ${bare_big##* } s; memory growth Ann $ma MiB, Bob $mb MiB; probes Ann $pa ms, Bob $pb ms" >&2
    rm -rf "$work/disk/bare/small"
    bare_small+=" $(bare "tar -x -C '$work/disk/bare'" "tar -c -C '$src' small")"
    [[ $(find "$work/disk/bare/small" -type f | wc -l) -eq 10000 ]] || fail "the bare tar lost files"
    read -r s ma mb pa pb < <(parley_send 4 "[[ -f '$received/small/$last_small' ]]" "$src/small")
    diff -r "$src/small" "$received/small" >/dev/null || fail "the small files did not arrive as sent"
    small_s+=" $s" small_mem+=" $ma $mb" small_probe+=" $pa $pb"
    echo "round $round, 10,000 files: Parley $s s, bare ${bare_small##* } s; memory growth Ann $ma MiB, Bob $mb MiB; probes Ann $pa ms, Bob $pb ms" >&2
done
echo "files: 1 GiB in $(runs "$big_s") s against the bare TLS stream's $(runs "$bare_big") s ($rounds rounds), ratio" \
    "$(ratio "$(low "$bare_big")" "$(low "$big_s")") of its speed (best against best);" \
    "memory growth at most $(high "$big_mem") MiB a copy; the probes' longest wait $(high "$big_probe") ms"
echo "files: 10,000 x 4 KiB in $(runs "$small_s") s against their tar on the bare stream's $(runs "$bare_small") s," \
    "ratio $(ratio "$(low "$bare_small")" "$(low "$small_s")") of its speed (best against best);" \
    "memory growth at most $(high "$small_mem") MiB a copy; the probes' longest wait $(high "$small_probe") ms"
