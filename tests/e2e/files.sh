#!/usr/bin/env bash
# End to end: files between two copies with private lines on the test LAN. A file and a folder with Russian and
# German names go from Ann to Bob through the command line to Ann's running copy; Bob's copy takes them without
# asking (Ann is verified there and the setting says so). A big file goes on after Bob's copy is killed mid-way, and
# another after Ann's is; every byte and name arrives, once, and no partial file stays. Bob's folder then fills up
# mid-way: the transfer waits and goes on once there is room. Usage: files.sh PARLEY
set -euo pipefail

parley=$(readlink -f "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/lan.sh"

ann=198.18.0.11
bob=198.18.0.12
received="$work/received"
ini_of() { # name own-address peer-address peer-name
    printf '[SYSTEM]\\r\\nUserName=%s\\r\\n[Startup]\\r\\nAutoRun=1\\r\\nRestoreText=0\\r\\n[Private]\\r\\nEnabled=1\\r\\n[Files]\\r\\nFolder=%s\\r\\nAcceptVerified=1\\r\\n[Users]\\r\\nCount=1\\r\\nUserA0=%s\\r\\nUserN0=%s\\r\\nUserE0=1\\r\\n' \
        "$1" "$received" "$3" "$4"
}
host_up a "$ann"
host_up b "$bob"
start_x
start_copy a "$(ini_of Ann "$ann" "$bob" Bob)"
start_copy b "$(ini_of Bob "$bob" "$ann" Ann)"

wait_private_pair
# Bob compares Ann's safety number, so that her files need no Accept.
verify_ann_at_bob "$(ini_of Bob "$bob" "$ann" Ann)"

send() { # paths... (to Bob, from Ann's running copy)
    in_host a "$work/a/parley" --send "$@" --to "$bob" >>"$work/send.log" 2>&1 || fail "--send failed: $(tail -n 2 "$work/send.log")"
}
src="$work/src"
mkdir -p "$src/Größe/sub"
printf 'отчёт за март\n' >"$src/Отчёт.txt"
head -c 5000000 /dev/urandom >"$src/Größe/a.bin"
printf 'Grüße' >"$src/Größe/sub/ü.txt"
: >"$src/Größe/leer"
send "$src/Отчёт.txt" "$src/Größe"
for _ in $(seq 200); do [[ -f $received/Größe/a.bin && -f $received/Отчёт.txt ]] && break; sleep 0.1; done
sleep 1
diff -r "$src" "$received" || fail "the file and the folder did not arrive as sent"

# A partial file's size on Bob's side, while one is written.
partial_size() { find "$received" -name '.parley-*.part' -printf '%s\n' 2>/dev/null | head -n 1; }
kill_midway() { # host-pid-variable file
    local size=""
    for _ in $(seq 600); do
        size=$(partial_size)
        [[ -n $size && $size -gt 50000000 ]] && break
        sleep 0.02
    done
    [[ -n $size && $size -gt 50000000 ]] || fail "no transfer of $2 under way to kill"
    kill -KILL "${!1}"
    wait "${!1}" 2>/dev/null || true
}
wait_file() { # name
    for _ in $(seq 600); do cmp -s "$src/$1" "$received/$1" && return; sleep 0.1; done
    fail "$1 did not arrive whole: $(ls -la "$received")"
}
head -c 400000000 /dev/urandom >"$src/big1.bin"
send "$src/big1.bin"
kill_midway pid_b big1.bin
start_copy b "$(ini_of Bob "$bob" "$ann" Ann)"
wait_file big1.bin

head -c 400000000 /dev/urandom >"$src/big2.bin"
send "$src/big2.bin"
kill_midway pid_a big2.bin
start_copy a "$(ini_of Ann "$ann" "$bob" Bob)"
wait_file big2.bin
[[ -z $(find "$received" -name '*.part') ]] || fail "a partial file stayed"
[[ $(find "$received" -name 'big*' | wc -l) -eq 2 ]] || fail "a file arrived twice: $(ls "$received")"

# A full disk pauses the transfer; it goes on once there is room.
full="$work/full"
mkdir -p "$full"
mount -t tmpfs -o size=96m tmpfs "$full"
trap 'umount -l "$full" 2>/dev/null; lan_cleanup' EXIT
kill -TERM "$pid_b" && wait "$pid_b" || true
received=$full
start_copy b "$(ini_of Bob "$bob" "$ann" Ann)"
wait_private_pair
head -c 60000000 /dev/urandom >"$src/big3.bin"
send "$src/big3.bin"
for _ in $(seq 300); do [[ -n $(partial_size) ]] && break; sleep 0.02; done
dd if=/dev/zero of="$full/filler" bs=1M 2>/dev/null || true
sleep 3
[[ -f $full/big3.bin ]] && fail "big3.bin was saved though the disk was full"
rm -f "$full/filler"
# The sender asks again within its retry time.
for _ in $(seq 400); do cmp -s "$src/big3.bin" "$full/big3.bin" && break; sleep 0.1; done
cmp -s "$src/big3.bin" "$full/big3.bin" || fail "big3.bin did not go on after the disk had room again: $(ls -la "$full"; df -h "$full")"
echo "PASS: a file and a folder, two kills and a full disk; every byte arrived once"
