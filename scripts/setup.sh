#!/usr/bin/env bash
# Installs the Debian packages Parley needs to build, run and test; installs nothing when all are present.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config clang-format
    qt6-base-dev qt6-qpa-plugins libgl-dev libcanberra-dev libxcb1-dev libcanberra-pulse sound-theme-freedesktop libcap2-bin
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

echo "Installing: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
