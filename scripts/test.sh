#!/usr/bin/env bash
# Sets up, builds and runs every test through CTest; exits non-zero when any test fails.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# The end-to-end test also needs an X server, a driver for it and the namespace tools.
PARLEY_SETUP_EXTRA="xvfb xauth xdotool python3 iproute2 x11-utils" "$root/scripts/setup.sh"

echo "== clang-format"
git -C "$root" ls-files '*.cpp' '*.h' | (cd "$root" && xargs clang-format --dry-run --Werror)

echo "== build"
"$root/scripts/build.sh" -DPARLEY_TESTS=ON

echo "== tests"
cd "${PARLEY_BUILD_DIR:-$root/build}"
ctest --output-on-failure --timeout 300 -j2
