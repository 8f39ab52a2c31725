#!/usr/bin/env bash
# End to end, nothing lost when a copy dies: on the test LAN, a copy that a peer talks to and the person types into
# is killed twice and then terminated, in one program folder: chat.txt must hold every line exactly once. Then a copy
# whose folder lies on a file system that fills up is terminated: Parley.ini and chat.txt must stay whole.
# Usage: crash.sh PARLEY
set -euo pipefail
parley=$(readlink -f "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/lan.sh"

host_up a 198.18.0.1
host_up b 198.18.0.2
start_x
ini='[SYSTEM]\r\nUserName=Alice\r\n[Startup]\r\nAutoRun=1\r\n[Users]\r\nCount=1\r\nUserA0=198.18.0.2\r\nUserN0=Bob\r\n'
# Waits up to SECONDS until FILE holds the text (bytes as given) on a line of its own.
on_disk() { # file text seconds
    for _ in $(seq $(($3 * 10))); do grep -qF "$2"$'\r' "$1" 2>/dev/null && return 0; sleep 0.1; done
    return 1
}
listening() { # host
    for _ in $(seq 100); do in_host "$1" ss -ltn | grep -q ':196 ' && return 0; sleep 0.05; done
    fail "the copy on $1 does not listen"
}

# 1. Three runs: Bob says ten lines (Russian, German, English), Alice types one; a second after the last, the first
#    two runs end by SIGKILL, the third by SIGTERM.
for run in 1 2 3; do
    start_copy a "$ini"
    listening a
    said=()
    for n in $(seq 10); do said+=("run $run: строка $n, Grüße $n"); done
    ip netns exec "${tag}b" python3 "$here/say_peer.py" 198.18.0.2 198.18.0.1 30 "${said[@]}" &
    pids+=($!)
    peer=$!
    wa=$(window_of "$pid_a")
    type_line "$wa" "typed in run $run"
    # Killed once the peer's last line and the typed one are on disk, as the journal promises within a second.
    on_disk "$work/a/chat.txt" "Bob: ${said[9]}" 20 || fail "run $run: the peer's last line never reached chat.txt"
    on_disk "$work/a/chat.txt" "Alice: typed in run $run" 20 || fail "run $run: the typed line never reached chat.txt"
    if ((run < 3)); then
        kill -KILL "$pid_a"
    else
        kill -TERM "$pid_a"
    fi
    wait_exit "$pid_a" 10 || fail "run $run: the copy did not end"
    kill -KILL "$peer" 2>/dev/null || true
    wait "$peer" 2>/dev/null || true
done
chat="$work/a/chat.txt"
[[ -f $chat ]] || fail "no chat.txt after three runs"
missing=0
for run in 1 2 3; do
    for n in $(seq 10); do
        count=$(grep -cF "Bob: run $run: строка $n, Grüße $n"$'\r' "$chat" || true)
        ((count == 1)) || { echo "line $n of run $run is in chat.txt $count times"; missing=$((missing + 1)); }
    done
    count=$(grep -cF "typed in run $run"$'\r' "$chat" || true)
    ((count == 1)) || { echo "the line typed in run $run is in chat.txt $count times"; missing=$((missing + 1)); }
done
separators=$(grep -c '^-- .* ------------------'$'\r''$' "$chat" || true)
((separators == 3)) || fail "chat.txt holds $separators session lines of 3"
((missing == 0)) || fail "$missing lines of 33 are missing or doubled after two kills and a termination"
# Every line whole: nothing but CR LF ends a line.
[[ $(tr -cd '\n' <"$chat" | wc -c) == $(grep -c $'\r$' "$chat") ]] || fail "chat.txt holds a half line"
echo "ok: two kills and a termination lost none of 33 lines and doubled none"

# 2. A program folder on a small file system that fills up mid-session, then SIGTERM: both files stay whole.
full="$work/full"
mkdir -p "$full"
mount -t tmpfs -o size=$(($(stat -c %s "$parley") / 1024 + 256))k tmpfs "$full" || skip "cannot mount a tmpfs"
trap 'umount -l "$full" 2>/dev/null; lan_cleanup' EXIT
cp "$parley" "$full/parley"
ln -s "$work/c.log" "$full/log" # what the copy says goes where there is room
ln -s "$full" "$work/c"
host_up c 198.18.0.3
ini_c='[SYSTEM]\r\nUserName=Carol\r\nLeft=120\r\n[Startup]\r\nAutoRun=1\r\n[Users]\r\nCount=0\r\n'
printf '%b' "$ini_c" >"$work/ini.before"
for n in $(seq 200); do printf 'Bob: yesterday line %d, Grüße, привет\r\n' "$n"; done >"$full/chat.txt"
cp "$full/chat.txt" "$work/chat.before"
start_copy c "$ini_c"
listening c
# The session's first line on disk before the disk fills.
for _ in $(seq 100); do (($(stat -c %s "$full/chat.txt") > $(stat -c %s "$work/chat.before"))) && break; sleep 0.1; done
dd if=/dev/zero of="$full/filler" bs=4k 2>/dev/null || true
kill -TERM "$pid_c"
wait_exit "$pid_c" 10 || fail "C did not end within 10 s of SIGTERM on a full disk"
cmp -s "$full/Parley.ini" "$work/ini.before" || fail "Parley.ini changed on a full disk ($(stat -c %s "$full/Parley.ini") bytes)"
head -c "$(stat -c %s "$work/chat.before")" "$full/chat.txt" | cmp -s - "$work/chat.before" ||
    fail "chat.txt lost its earlier lines on a full disk"
[[ $(tail -c 2 "$full/chat.txt" | od -An -tx1 | tr -d ' ') == 0d0a ]] || fail "chat.txt ends in a half line"
grep -q "Parley: Unable to write to .*Parley.ini" "$work/c.log" || fail "C did not say that Parley.ini could not be saved"
left=$(ls "$full" | tr '\n' ' ')
[[ $left == "Parley.ini chat.txt config filler log parley " ]] || fail "a half-written file was left behind: $left"
echo "ok: a full disk at SIGTERM left Parley.ini and chat.txt whole and said so"
echo "PASS: a copy that dies loses nothing"
