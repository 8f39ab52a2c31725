#!/usr/bin/env bash
# Builds the Debian package quendlewick-parley_VERSION_ARCH.deb into build-package/ and checks it with lintian,
# hardening included. Install it with: sudo apt install ./build-package/quendlewick-parley_*.deb
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PARLEY_SETUP_EXTRA="dpkg-dev lintian file" "$root/scripts/setup.sh"
export PARLEY_BUILD_DIR="$root/build-package" PARLEY_BUILD_TYPE=Release
"$root/scripts/build.sh" -DCMAKE_INSTALL_PREFIX=/usr
(cd "$PARLEY_BUILD_DIR" && cpack -G DEB >/dev/null)
deb=$(ls "$PARLEY_BUILD_DIR"/quendlewick-parley_*.deb)
echo "built $deb"
lintian --pedantic --fail-on error "$deb" | tee "$PARLEY_BUILD_DIR/lintian.txt"
if grep -q hardening "$PARLEY_BUILD_DIR/lintian.txt"; then
    echo "package.sh: the program lacks Debian's hardening (see above)" >&2
    exit 1
fi
