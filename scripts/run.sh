#!/usr/bin/env bash
# Sets up, builds and starts Parley, for whoever runs it: an ordinary user, root through sudo (Parley then runs as
# the person who asked), or root alone on a fresh machine or container; on a desktop, or without any display, on a
# virtual X server of its own.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
parley="${PARLEY_BUILD_DIR:-$root/build}/parley"
say() { echo "run.sh: $*" >&2; }

headless=false
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
    headless=true
    say "no display found (DISPLAY and WAYLAND_DISPLAY are unset): Parley will run on a virtual X server of its own."
fi
run_as=()
if [[ $(id -u) -eq 0 ]]; then
    if [[ -n ${SUDO_USER:-} && $SUDO_USER != root ]]; then
        # A chat program has no business running as root: started through sudo, it runs as the person who asked.
        run_as=(runuser -u "$SUDO_USER" --)
    else
        say "running as root, as nobody else is there (started without sudo): Parley runs as root too."
    fi
fi

"$root/scripts/setup.sh"
"$root/scripts/build.sh"

# Port 196 is below 1024: a copy that does not run as root needs the capability to bind it, given once per build.
tool() { # name: the full path of a tool from libcap2-bin, which lives outside an ordinary user's PATH
    local dir
    for dir in /usr/sbin /sbin /usr/bin /bin; do [[ -x $dir/$1 ]] && { echo "$dir/$1"; return; }; done
    return 1
}
give_capability() {
    local getcap setcap
    getcap=$(tool getcap) && setcap=$(tool setcap) ||
        { say "Parley cannot listen on port 196: getcap and setcap are missing (apt install libcap2-bin)."; return; }
    [[ $("$getcap" "$parley") == *cap_net_bind_service* ]] && return
    if [[ $(id -u) -eq 0 ]]; then
        "$setcap" cap_net_bind_service=+ep "$parley" && return
    elif command -v sudo >/dev/null; then
        say "port 196 needs the cap_net_bind_service capability on $parley: asking sudo for it, once per build."
        sudo "$setcap" cap_net_bind_service=+ep "$parley" && return
    fi
    say "Parley cannot listen on port 196 until root runs: $setcap cap_net_bind_service=+ep $parley"
}
if ((${#run_as[@]} > 0)) || [[ $(id -u) -ne 0 ]]; then
    give_capability
fi

if ! $headless; then
    exec "${run_as[@]}" "$parley"
fi
# Without a display: a virtual X server for as long as Parley runs. Peers reach it as any other copy.
displayfd=$(mktemp)
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1280x800x24 3>"$displayfd" >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; rm -f "$displayfd"' EXIT
for _ in $(seq 100); do [[ -s $displayfd ]] && break; sleep 0.05; done
[[ -s $displayfd ]] || { say "the virtual X server (Xvfb) did not start."; exit 1; }
display=":$(tr -d '\n' <"$displayfd")"
# Xvfb lets every local client in; the copy that runs as another user connects to it as well.
say "Parley runs on the virtual display $display; peers reach it on port 196. Stop it with Ctrl+C or 'kill $$'."
DISPLAY="$display" "${run_as[@]}" "$parley" &
child=$!
# Ctrl+C or a kill ends Parley the way a session's end does (it saves), then the virtual X server.
trap 'kill -TERM "$child" 2>/dev/null' INT TERM
wait "$child" || wait "$child" || true
