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
if [[ $(id -u) -ne 0 ]] && ! getcap "$parley" 2>/dev/null | grep -q cap_net_bind_service; then
    if ! command -v setcap >/dev/null || ! command -v sudo >/dev/null; then
        echo "Parley will fail to listen on port 196: install sudo and libcap2-bin, then run" \
            "'sudo setcap cap_net_bind_service=+ep $parley'." >&2
    else
        echo "Port 196 needs the cap_net_bind_service capability on $parley; asking sudo for it once." >&2
        sudo setcap cap_net_bind_service=+ep "$parley" ||
            echo "Parley will fail to listen on port 196: 'sudo setcap cap_net_bind_service=+ep $parley' did not work." >&2
    fi
fi
exec "$parley"
