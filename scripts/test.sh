#!/usr/bin/env bash
# Sets up, builds and runs every test through CTest; exits non-zero when any test fails.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# The end-to-end tests also need an X server, a driver for it, the namespace tools and debootstrap.
PARLEY_SETUP_EXTRA="clang-format git dpkg-dev xvfb xauth xdotool python3 iproute2 x11-utils icewm dbus dunst weston nftables qt6-wayland pulseaudio pulseaudio-utils desktop-file-utils appstream man-db debootstrap clang libclang-rt-14-dev" "$root/scripts/setup.sh"

echo "== clang-format"
git -C "$root" ls-files '*.cpp' '*.h' | (cd "$root" && xargs clang-format --dry-run --Werror)

echo "== build"
"$root/scripts/build.sh" -DPARLEY_TESTS=ON

# Before the tests: the fresh-machine test installs it beside Debian's own "parley".
echo "== package, checked by lintian"
"$root/scripts/package.sh"

# What peers and files feed the parsers: a bounded run of each fuzzer from its committed corpus.
echo "== fuzzing"
"$root/scripts/fuzz.sh" "${PARLEY_FUZZ_SECONDS:-30}"

echo "== tests"
cd "${PARLEY_BUILD_DIR:-$root/build}"
ctest --output-on-failure --timeout 300 -j2

# PARLEY_SANITIZED_PASS=0 leaves out the second pass (the fresh-machine test's run of this command does).
[[ ${PARLEY_SANITIZED_PASS:-1} == 0 ]] && exit 0
echo "== tests again, built with AddressSanitizer and UndefinedBehaviorSanitizer"
export PARLEY_BUILD_DIR="${PARLEY_SANITIZE_BUILD_DIR:-$root/build-asan}"
PARLEY_BUILD_TYPE=Debug "$root/scripts/build.sh" -DPARLEY_TESTS=ON -DPARLEY_SANITIZE=ON
cd "$PARLEY_BUILD_DIR"
# Qt's own allocations that live until exit are no leaks of ours; memory errors and undefined behaviour fail.
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --output-on-failure --timeout 600 -j2 -E e2e_
