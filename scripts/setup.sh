#!/usr/bin/env bash
# Installs the Debian packages Parley needs to build and run (Xvfb for machines without a display), and those named
# in PARLEY_SETUP_EXTRA (the tests' and the package's tools); installs nothing when all are present.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config fonts-liberation2 fonts-dejavu-core fonts-dejavu-extra
    qt6-base-dev libssl-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n libicu-dev qt6-qpa-plugins libgl-dev libcanberra-dev libxcb1-dev libcanberra-pulse sound-theme-freedesktop libcap2-bin xvfb
)
if [[ "${PARLEY_SETUP_EXTRA:-}" != "" ]]; then
    read -r -a extra <<<"$PARLEY_SETUP_EXTRA"
    packages+=("${extra[@]}")
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "Missing: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
    source "$(dirname "${BASH_SOURCE[0]}")/sudo.sh"
    if ! may_sudo; then
        echo "setup.sh: installing needs root, and this user cannot use sudo here; as root, run:" \
            "apt-get install ${missing[*]}" >&2
        exit 1
    fi
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
