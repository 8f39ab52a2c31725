# Sourced by the end-to-end scripts: a small test LAN made of network namespaces (a bridge in a hub namespace, one
# namespace per host, addresses from 198.18.0.0/24), an X server inside the hub, and clean-up on every exit.
# Every process of a test runs inside those namespaces: nothing is ever added to the machine's own namespace.

skip() {
    echo "SKIP: $*"
    exit 77
}
[[ $(id -u) -eq 0 ]] || skip "needs root for network namespaces"
for tool in ip unshare Xvfb xdotool python3 ss; do
    command -v "$tool" >/dev/null || skip "needs $tool"
done

tag="pe$$"
hub="${tag}hub"
work=$(mktemp -d)
pids=()
hosts=()
lan_cleanup() {
    disown -a 2>/dev/null || true # no "Killed" notices for what is ended here
    for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    for ns in "$hub" "${hosts[@]/#/$tag}"; do ip netns del "$ns" 2>/dev/null || true; done
    rm -rf "$work"
}
trap lan_cleanup EXIT
ip netns add "$hub" 2>/dev/null || skip "network namespaces are not available here"

fail() {
    echo "FAIL: $*"
    for f in "$work"/*.log "$work"/*/log; do [[ -s $f ]] && { echo "--- $f"; tail -n 40 "$f"; }; done
    exit 1
}
in_hub() { ip netns exec "$hub" "$@"; }
in_host() { # host command... (in the foreground: in the background $! would be a subshell's)
    local ns="${tag}$1"
    shift
    ip netns exec "$ns" "$@"
}

ip -n "$hub" link set lo up
# Each host gets a TCP socket table of its own (the hosts are made from inside the hub for that): in the machine's
# one table, a look at one host's sockets walks every host's, which at 240 hosts took seconds per look.
ip netns exec "$hub" sysctl -qw net.ipv4.tcp_child_ehash_entries=4096 2>/dev/null || true
ip -n "$hub" link add br0 type bridge
ip -n "$hub" link set br0 up
host_up() { # name address...
    local ns="${tag}$1"
    shift
    hosts+=("${ns#"$tag"}")
    nsenter --net="/run/netns/$hub" ip netns add "$ns"
    ip -n "$hub" link add "v$ns" type veth peer name eth0 netns "$ns"
    ip -n "$hub" link set "v$ns" master br0 up
    ip -n "$ns" link set lo up
    # An address without its prefix is in a /24.
    for address in "$@"; do ip -n "$ns" addr add "$address$([[ $address == */* ]] || echo /24)" dev eth0; done
    ip -n "$ns" link set eth0 up
}

# Every host learns every other host's hardware address up front, as permanent entries. The kernel keeps one ARP
# table for all namespaces, with at most 1,024 learned entries by default: a LAN of more than 32 hosts that all talk
# to each other overflows it, and the packets dropped stall connections for seconds, which a LAN of separate
# machines never sees. Permanent entries do not count against that limit.
know_neighbours() {
    local host mac address entries=()
    for host in "${hosts[@]}"; do
        mac=$(ip -n "$tag$host" -o link show eth0 | grep -o 'link/ether [0-9a-f:]*' | cut -d' ' -f2)
        for address in $(ip -n "$tag$host" -o -4 addr show eth0 | awk '{print $4}' | cut -d/ -f1); do
            entries+=("$address $mac")
        done
    done
    for host in "${hosts[@]}"; do
        for address in "${entries[@]}"; do
            echo "neigh replace ${address% *} lladdr ${address#* } dev eth0 nud permanent"
        done | ip -n "$tag$host" -batch -
    done
}

start_x() {
    # Started directly, not through in_hub, so that $! is the server itself and the clean-up ends it.
    # An office of 512 copies is more programs than the 256 an X server takes by default.
    ip netns exec "$hub" Xvfb -displayfd 3 -nolisten tcp -maxclients 1024 -screen 0 1280x800x24 3>"$work/display" \
        >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.05; done
    [[ -s $work/display ]] || fail "Xvfb did not start"
    export DISPLAY=":$(tr -d '\n' <"$work/display")"
    # A session bus, as every desktop session has, on a path socket that the hosts' namespaces reach too. Without
    # one, each copy's D-Bus library may start a bus of its own through the X server, a start that can take
    # seconds when many copies start at once.
    if command -v dbus-daemon >/dev/null; then
        dbus-daemon --session --address="unix:path=$work/bus" --fork --print-pid=4 4>"$work/dbus.pid" </dev/null \
            >"$work/dbus.log" 2>&1
        pids+=("$(cat "$work/dbus.pid")")
        export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/bus" XDG_RUNTIME_DIR="$work/run"
        mkdir -m 0700 "$XDG_RUNTIME_DIR"
    fi
}

# A session bus of the test's own that starts no services by itself (a service the test stops stays away), on a path
# socket the hosts reach; DBUS_SESSION_BUS_ADDRESS names it for what is started after.
private_bus() {
    cat >"$work/private-bus.conf" <<CONF
<busconfig>
  <type>session</type>
  <listen>unix:path=$work/private-bus</listen>
  <policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
CONF
    dbus-daemon --config-file="$work/private-bus.conf" --fork --print-pid=5 5>"$work/private-bus.pid" </dev/null \
        >/dev/null 2>&1 || skip "no private session bus"
    pids+=("$(cat "$work/private-bus.pid")")
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/private-bus"
}

# Starts an unmodified copy of PARLEY on a host, with its own folder and Parley.ini and its own /run/lock, as
# separate machines have. With a third argument, the copy waits at that gate until let_go opens it, so that many
# copies can be let go at the same instant. A command in $copy_wrapper (e.g. "prlimit --nofile=1024") goes before the copy's;
# $copy_platform picks Qt's platform (xcb unless set; set empty, the copy chooses).
# Sets pid_<host>.
start_copy() { # host ini-text [go-file]
    local dir="$work/$1" go="${3:-}"
    [[ -n $go && ! -e $go ]] && mkfifo "$go"
    mkdir -p "$dir/config"
    [[ -x $dir/parley ]] || cp "$parley" "$dir/parley"
    printf '%b' "$2" >"$dir/Parley.ini"
    # Started directly, not through in_host, so that $! is the copy's own process.
    ip netns exec "${tag}$1" unshare -m sh -c "mount -t tmpfs tmpfs /run/lock && \
        if [ -p '$go' ]; then cat '$go' >/dev/null; fi; \
        exec ${copy_wrapper:-} env QT_QPA_PLATFORM=${copy_platform-xcb} XDG_CONFIG_HOME='$dir/config' '$dir/parley'" >>"$dir/log" 2>&1 &
    pids+=($!)
    eval "pid_$1=$!"
}
# The [Users] entries of a copy on host I of COUNT hosts: every other host by address_of, named own<j>, ticked with a
# third argument. Sets users and user_count.
others_as_users() { # i count [ticked]
    users="" user_count=0
    local j
    for j in $(seq "$2"); do
        ((j == $1)) && continue
        users+="UserA$user_count=$(address_of "$j")\r\nUserN$user_count=own$j\r\n"
        [[ -n ${3:-} ]] && users+="UserE$user_count=1\r\n"
        user_count=$((user_count + 1))
    done
}
# Opens a gate of start_copy: a named pipe that the waiting copies read, all let go together when the writer opens
# and closes it; a plain file then takes its place, so that a copy that comes to it later goes at once. Nothing
# polls, which with hundreds of copies waiting was most of the machine's load.
let_go() { # gate
    local writer
    exec {writer}>"$1"
    rm -f "$1"
    : >"$1"
    exec {writer}>&-
}
# Waits up to SECONDS for PID to end; its exit status in $status.
wait_exit() { # pid seconds
    for _ in $(seq $(($2 * 10))); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$1" 2>/dev/null && return 1
    status=0
    wait "$1" || status=$?
}
window_of() { # pid
    for _ in $(seq 200); do
        local wid
        wid=$(in_hub xdotool search --all --onlyvisible --pid "$1" --name '^Quendlewick Parley$' 2>/dev/null | head -n 1) || true
        [[ -n $wid ]] && { echo "$wid"; return; }
        sleep 0.1
    done
    fail "no main window for pid $1"
}
type_line() { # window text
    in_hub xdotool windowraise "$1"
    in_hub xdotool windowfocus --sync "$1"
    in_hub xdotool mousemove --window "$1" 100 300 click 1
    sleep 0.2
    in_hub xdotool type --delay 15 "$2"
    in_hub xdotool key Return
    sleep 0.3
}
# Waits until hosts a (address $ann) and b (address $bob) have private lines both ways: each an established
# connection to the other's port 1196.
wait_private_pair() {
    for _ in $(seq 200); do
        in_host a ss -tnH state established "( dport = :1196 )" | grep -q "$bob:1196" &&
            in_host b ss -tnH state established "( dport = :1196 )" | grep -q "$ann:1196" && return
        sleep 0.1
    done
    fail "private lines did not come up"
}
# Bob compares Ann's safety number (as his pins file keeps it): he restarts with her pin verified. INI is his.
verify_ann_at_bob() { # ini-text
    # A connection is established before its handshake pins the key: the pin is waited for, not the connection.
    for _ in $(seq 100); do [[ -s $work/b/Parley.pins ]] && break; sleep 0.1; done
    [[ -s $work/b/Parley.pins ]] || fail "Bob pinned no key"
    kill -TERM "$pid_b" && wait "$pid_b" || true
    sed -i 's/ 0$/ 1/' "$work/b/Parley.pins"
    start_copy b "$1"
    wait_private_pair
}
