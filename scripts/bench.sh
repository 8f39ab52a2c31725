#!/usr/bin/env bash
# Builds an optimised tree and runs the benchmarks; each prints its figure and its ratio to a baseline measured in
# the same run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PARLEY_SETUP_EXTRA="xvfb xauth xdotool python3 iproute2 x11-utils dbus" "$root/scripts/setup.sh"
export PARLEY_BUILD_DIR="$root/build-bench" PARLEY_BUILD_TYPE=Release
"$root/scripts/build.sh" -DPARLEY_TESTS=ON
# On a namespace LAN (needs root): the 512-peer storm, connect-and-close cycles, a 4 MiB flood (and the storm during
# one), the fan-out of a typed line to 512 peers and the start with a 100 MB chat.txt, each against its baseline.
bash "$root/bench/lan.sh" "$PARLEY_BUILD_DIR" 100
# In one process, where a figure needs the program's inside: the popup under a burst of lines, the chat area with a
# 100 MB log (memory, moving through it, the close), what one flooding peer costs the display, 10,000 lines a second
# written to chat.txt as they come, and a search of a
# 1 GB history against grep.
"$PARLEY_BUILD_DIR/bench/bench_popupburst"
"$PARLEY_BUILD_DIR/bench/bench_bigchat" 100
"$PARLEY_BUILD_DIR/bench/bench_flood"
"$PARLEY_BUILD_DIR/bench/bench_journal"
"$PARLEY_BUILD_DIR/bench/bench_find" 1024
# An office starting at once on a namespace LAN (needs root): time until the full mesh, and how it grows.
for copies in 8 16 32; do
    bash "$root/tests/e2e/mesh.sh" "$PARLEY_BUILD_DIR/parley" "$copies" --bench
done
