#!/usr/bin/env bash
# bench/footprint.sh BUILD [ROUNDS]: a copy's memory against the bare Qt tray program's (bench/bare_tray.cpp), on an
# X desktop of its own with a notification area. Each round starts both in turn, alone, in a network namespace of
# their own, with the same chat.txt of 2,000 lines (Russian, German, English); Parley runs, lives in the tray and is
# measured before its window was ever shown, then clicked in the tray and measured once its window has drawn the
# lines. Figures from /proc/PID/smaps: RSS, PSS, and private memory (PSS without the shared libraries' mappings).
# Needs root (namespaces, port 196), Xvfb, icewm (its taskbar holds the tray), xdotool and dbus-daemon.
set -euo pipefail
build="$(cd "${1:?build folder}" && pwd)"
rounds="${2:-3}"
for tool in Xvfb icewm xdotool xwininfo dbus-daemon unshare; do
    command -v "$tool" >/dev/null || { echo "footprint: $tool is missing" >&2; exit 1; }
done
work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.05; done
export DISPLAY=":$(tr -d '\n' <"$work/display")"
# A session bus on a socket file, which the copies' network namespaces still reach.
dbus-daemon --session --address="unix:path=$work/bus" --fork --print-pid=4 4>"$work/bus.pid" </dev/null >/dev/null
pids+=("$(cat "$work/bus.pid")")
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/bus"
icewm >/dev/null 2>&1 &
pids+=($!)
# The tray must be there before a program starts, or the program never looks for it.
for _ in $(seq 200); do xwininfo -root -tree 2>/dev/null | grep -q '"SystemTray"' && break; sleep 0.05; done

python3 - "$work/chat.txt" <<'EOF'
import sys
with open(sys.argv[1], 'wb') as f:
    for i in range(2000):
        f.write(('Ann: строка %d: Grüße, the build is green again %d\r\n' % (i, i)).encode('utf-8'))
EOF

# "RSS PSS private" of a process, in KiB.
footprint() {
    awk '/^[0-9a-f]+-[0-9a-f]+ / { library = ($6 ~ /\.so(\.[0-9]+)*$/) }
         /^Rss:/ { rss += $2 } /^Pss:/ { pss += $2; if (!library) own += $2 }
         END { print rss, pss, own }' "/proc/$1/smaps"
}

# Starts PROGRAM from a folder of its own; prints its process id once it has settled.
start() {
    local folder="$work/run-$1"
    rm -rf "$folder" && mkdir -p "$folder"
    cp "$2" "$folder/parley"
    cp "$work/chat.txt" "$folder/chat.txt"
    printf '[Startup]\r\nAutoRun=1\r\nRestoreText=1\r\n[Users]\r\nCount=0\r\n' >"$folder/Parley.ini"
    # A lock folder of its own, so that a copy running elsewhere on this machine does not refuse it.
    unshare -m -n sh -c "ip link set lo up; mount -t tmpfs tmpfs /run/lock; cd '$folder' &&
        exec env XDG_CONFIG_HOME='$folder/config' ./parley" >"$folder/log" 2>&1 &
    sleep 4
    # The program, not the shell that started it: the one process of that name working in that folder.
    for pid in $(pgrep -x parley); do
        [[ "$(readlink "/proc/$pid/cwd")" == "$folder" ]] && echo "$pid" && return 0
    done
    echo "footprint: $2 did not start: $(cat "$folder/log")" >&2
    return 1
}

stop() {
    kill "$1"
    while [[ -e "/proc/$1" ]]; do sleep 0.05; done
}

shown() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }

click_tray_icon() {
    for window in $(xdotool search --onlyvisible --class '^parley$' 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$window")"
        if ((WIDTH <= 48 && HEIGHT <= 48)); then
            xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
            sleep 0.2
            xdotool click 1
            return 0
        fi
    done
    return 1
}

echo "== footprint: 2,000 lines in chat.txt, $rounds rounds"
for round in $(seq "$rounds"); do
    bare="$(start bare "$build/bench/bare_tray")"
    read -r bare_rss bare_pss bare_own < <(footprint "$bare")
    stop "$bare"
    copy="$(start parley "$build/parley")"
    if shown "Quendlewick Parley"; then
        echo "footprint: the window showed at start (no tray?)" >&2
        exit 1
    fi
    read -r before_rss before_pss before_own < <(footprint "$copy")
    click_tray_icon || { echo "footprint: no tray icon" >&2; exit 1; }
    sleep 3
    shown "Quendlewick Parley" || { echo "footprint: the window did not show" >&2; exit 1; }
    read -r after_rss after_pss after_own < <(footprint "$copy")
    stop "$copy"
    awk -v r="$round" -v br="$bare_rss" -v bp="$bare_pss" -v bo="$bare_own" \
        -v r1="$before_rss" -v p1="$before_pss" -v o1="$before_own" \
        -v r2="$after_rss" -v p2="$after_pss" -v o2="$after_own" 'BEGIN {
        m = 1024
        printf "round %d: bare tray RSS %.1f MiB, PSS %.1f, private %.1f\n", r, br / m, bp / m, bo / m
        printf "  Parley in the tray:   RSS %.1f MiB (%.2f x), PSS %.1f (%.2f x), private %.1f (%.2f x)\n",
            r1 / m, r1 / br, p1 / m, p1 / bp, o1 / m, o1 / bo
        printf "  window shown, lines:  RSS %.1f MiB (%.2f x), PSS %.1f (%.2f x), private %.1f (%.2f x)\n",
            r2 / m, r2 / br, p2 / m, p2 / bp, o2 / m, o2 / bo
    }'
done
