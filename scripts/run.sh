#!/usr/bin/env bash
# Sets up, builds and starts Parley.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
parley="${PARLEY_BUILD_DIR:-$root/build}/parley"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "No display found: Parley is a desktop program; start it under Xvfb, e.g. 'xvfb-run -a scripts/run.sh'." >&2
    exit 1
fi
# Port 196 is below 1024: an ordinary user's copy needs the capability to bind it, given once per build.
give_capability() {
    getcap "$parley" 2>/dev/null | grep -q cap_net_bind_service && return 0
    if ! command -v setcap >/dev/null; then
        echo "Parley will fail to listen on port 196: install libcap2-bin (apt install libcap2-bin), then run" \
            "'sudo setcap cap_net_bind_service=+ep $parley'." >&2
    elif [[ $(id -u) -eq 0 ]]; then
        setcap cap_net_bind_service=+ep "$parley"
    elif ! command -v sudo >/dev/null; then
        echo "Parley will fail to listen on port 196: install sudo (as root: apt install sudo; adduser $USER sudo)," \
            "or as root run 'setcap cap_net_bind_service=+ep $parley'." >&2
    else
        echo "Port 196 needs the cap_net_bind_service capability on $parley; asking sudo for it once." >&2
        sudo setcap cap_net_bind_service=+ep "$parley" ||
            echo "Parley will fail to listen on port 196: 'sudo setcap cap_net_bind_service=+ep $parley' did not work." >&2
    fi
}
give_capability
if [[ $(id -u) -ne 0 ]]; then
    exec "$parley"
fi
# A chat program has no business running as root: started through sudo, it runs as the person who asked.
if [[ -z "${SUDO_USER:-}" || "${SUDO_USER}" == root ]]; then
    echo "Parley is not started as root: run scripts/run.sh as your ordinary user, or as 'sudo -u NAME scripts/run.sh'." >&2
    exit 1
fi
exec runuser -u "$SUDO_USER" -- "$parley"
