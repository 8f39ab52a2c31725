#!/usr/bin/env bash
# Sets up, builds and starts Parley.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "No display found: Parley is a desktop program; start it under Xvfb, e.g. 'xvfb-run -a scripts/run.sh'." >&2
    exit 1
fi
exec "${PARLEY_BUILD_DIR:-$root/build}/parley"
