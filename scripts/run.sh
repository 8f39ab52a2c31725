#!/usr/bin/env bash
# Sets up, builds and starts Parley, for whoever runs it: an ordinary user, root through sudo (Parley is then built
# and run as the person who asked, in the same build tree as a start without sudo), or root alone on a fresh machine
# or container; on a desktop, or without any display, on a virtual X server of its own. It says whether peers can
# reach the copy once the copy has had the time to listen, and how to let them when they cannot.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${PARLEY_BUILD_DIR:-$root/build}"
parley="$build/parley"
say() { echo "run.sh: $*" >&2; }
source "$root/scripts/sudo.sh"

headless=false
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
    headless=true
    say "no display found (DISPLAY and WAYLAND_DISPLAY are unset): Parley will run on a virtual X server of its own."
fi
# Whose program this is: through sudo the person who asked builds and runs it, so that the build tree, the settings
# and the chat beside the program stay theirs whichever way they start it.
run_as=()
if [[ $(id -u) -eq 0 ]]; then
    if [[ -n ${SUDO_USER:-} && $SUDO_USER != root ]]; then
        home=$(getent passwd "$SUDO_USER" | cut -d: -f6)
        run_as=(runuser -u "$SUDO_USER" -- env HOME="$home" USER="$SUDO_USER" LOGNAME="$SUDO_USER")
        say "started through sudo: root installs what is missing; Parley is built and runs as $SUDO_USER."
        # A build tree an earlier start through sudo left to root goes back to its person.
        if [[ -d $build ]] && [[ -n $(find "$build" ! -user "$SUDO_USER" -print -quit) ]]; then
            chown -R "$SUDO_USER:" "$build"
        fi
    else
        say "running as root, as nobody else is there (started without sudo): Parley runs as root too."
    fi
elif [[ -d $build ]] && [[ -n $(find "$build" ! -user "$(id -u)" -print -quit) ]]; then
    say "the build tree $build belongs to $(stat -c %U "$build") in part, so $(id -un) cannot build there" \
        "(an earlier start through sudo left it so). Give it back once with: sudo chown -R $(id -un): $build" \
        "(or start with: sudo scripts/run.sh, which does it)."
    exit 1
fi

if ! "$root/scripts/setup.sh"; then
    # Nothing to start: say so, and what root must do besides, so that the copy will be reachable once built.
    say "Parley is not started: it cannot be built until root installs what setup.sh named above. Peers will not" \
        "reach an ordinary user's copy either until root also runs, once per build: setcap" \
        "cap_net_bind_service=+ep $parley"
    exit 1
fi
# A password given to sudo just now (to install) stays good through a long first build, so that the capability
# after it is not asked for again; the refresher ends with this script.
keep_sudo=
if [[ $(id -u) -ne 0 ]] && command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    (while kill -0 $$ 2>/dev/null && sleep 50; do sudo -n -v 2>/dev/null || exit 0; done) >/dev/null 2>&1 &
    keep_sudo=$!
fi
# The common headers precompiled: the first build, which the person waits for, takes about 40 % less time.
"${run_as[@]}" "$root/scripts/build.sh" -DPARLEY_PRECOMPILED_HEADERS=ON

# Port 196 is below 1024: a copy that does not run as root needs the capability to bind it, given once per build.
tool() { # name: the full path of a tool from libcap2-bin, which lives outside an ordinary user's PATH
    local dir
    for dir in /usr/sbin /sbin /usr/bin /bin; do [[ -x $dir/$1 ]] && { echo "$dir/$1"; return; }; done
    return 1
}
give_line="setcap cap_net_bind_service=+ep $parley"
give_capability() { # true when the program may listen on port 196
    local getcap setcap
    getcap=$(tool getcap) && setcap=$(tool setcap) ||
        { say "getcap and setcap are missing (as root: apt install libcap2-bin)."; return 1; }
    give_line="$setcap cap_net_bind_service=+ep $parley"
    [[ $("$getcap" "$parley") == *cap_net_bind_service* ]] && return 0
    if [[ $(id -u) -eq 0 ]]; then
        "$setcap" cap_net_bind_service=+ep "$parley" && return 0
    elif may_sudo; then
        say "port 196 needs the cap_net_bind_service capability on $parley: asking sudo for it, once per build."
        sudo "$setcap" cap_net_bind_service=+ep "$parley" && return 0
    fi
    say "this user cannot give Parley the right to listen on port 196 (a port below 1024), so peers cannot reach" \
        "this copy until root runs, once per build: $give_line"
    return 1
}
may_listen=true
if ((${#run_as[@]} > 0)) || [[ $(id -u) -ne 0 ]]; then
    give_capability || may_listen=false
fi
[[ -n $keep_sudo ]] && kill "$keep_sudo" 2>/dev/null

# Whether a socket listens on TCP port 196 (0x00C4) of this machine's network, as the kernel lists them.
listens_on_196() { grep -qE '^ *[0-9]+: [0-9A-F]+:00C4 [0-9A-F]+:[0-9A-F]+ 0A ' /proc/net/tcp /proc/net/tcp6 2>/dev/null; }
# Said once Parley has listened, or has had 60 s to (it listens at the end of its start-up, which a first start on a
# slow machine can make long): only a copy that listens is called reachable.
# Through sudo this script is root's: the person stops it with sudo.
stop_hint="Ctrl+C or 'kill $$'"
[[ -n ${SUDO_USER:-} && $(id -u) -eq 0 ]] && stop_hint="Ctrl+C or 'sudo kill $$'"
report_reachability() { # pid
    if $taken_before; then
        say "port 196 was taken before this start: another copy of Parley (perhaps another person's on this" \
            "machine) or another program listens there, and 'ss -ltnp sport = :196' names it. This copy cannot" \
            "listen while it does."
        return 0
    fi
    for _ in $(seq 600); do
        kill -0 "$1" 2>/dev/null || return 0
        if listens_on_196; then
            say "Parley listens: peers reach it on port 196 (where the firewalls between let TCP 196 in)." \
                "Stop it with $stop_hint."
            return 0
        fi
        sleep 0.1
    done
    if $may_listen; then
        say "Parley runs but does not listen on port 196, so peers cannot reach it: Run! in its window starts" \
            "listening; if that fails, 'ss -ltnp sport = :196' shows which program holds the port."
    else
        say "Parley runs but does not listen on port 196: peers cannot reach this copy until root runs," \
            "once per build: $give_line (then start it again)."
    fi
}

display=${DISPLAY:-}
if $headless; then
    # A virtual X server for as long as Parley runs. Xvfb lets every local client in, the person's copy too.
    displayfd=$(mktemp)
    Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1280x800x24 3>"$displayfd" >/dev/null 2>&1 &
    xvfb=$!
    trap 'kill "$xvfb" 2>/dev/null; rm -f "$displayfd"' EXIT
    for _ in $(seq 100); do [[ -s $displayfd ]] && break; sleep 0.05; done
    [[ -s $displayfd ]] || { say "the virtual X server (Xvfb) did not start."; exit 1; }
    display=":$(tr -d '\n' <"$displayfd")"
    say "Parley runs on the virtual display $display."
fi
taken_before=false
listens_on_196 && taken_before=true
if [[ -n $display ]]; then
    DISPLAY="$display" "${run_as[@]}" "$parley" &
else
    "${run_as[@]}" "$parley" &
fi
child=$!
report_reachability "$child" &
reporter=$!
# Ctrl+C or a kill ends Parley the way a session's end does (it saves), then the virtual X server.
trap 'kill -TERM "$child" 2>/dev/null' INT TERM
status=0
wait "$child" || status=$?
# A trapped signal ends the wait before Parley has ended.
while kill -0 "$child" 2>/dev/null; do
    status=0
    wait "$child" || status=$?
done
kill "$reporter" 2>/dev/null || true
exit "$status"
