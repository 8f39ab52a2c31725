#!/usr/bin/env bash
# Builds the Debian package parley_VERSION_ARCH.deb into build-package/ and checks it with lintian.
# Install it with: sudo apt install ./build-package/parley_*.deb
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PARLEY_SETUP_EXTRA="dpkg-dev lintian file" "$root/scripts/setup.sh"
export PARLEY_BUILD_DIR="$root/build-package" PARLEY_BUILD_TYPE=Release
"$root/scripts/build.sh" -DCMAKE_INSTALL_PREFIX=/usr
(cd "$PARLEY_BUILD_DIR" && cpack -G DEB >/dev/null)
deb=$(ls "$PARLEY_BUILD_DIR"/parley_*.deb)
echo "built $deb"
lintian --fail-on error "$deb"
