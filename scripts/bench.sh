#!/usr/bin/env bash
# Builds an optimised tree and runs the benchmarks; each prints its figure and its ratio to a baseline measured in
# the same run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PARLEY_SETUP_EXTRA="xvfb xauth xdotool python3 iproute2 x11-utils dbus openssl icewm" "$root/scripts/setup.sh"
export PARLEY_BUILD_DIR="$root/build-bench" PARLEY_BUILD_TYPE=Release
# The benchmark programs come with the tests; the program itself is built as people run it, without assertions.
"$root/scripts/build.sh" -DPARLEY_TESTS=ON -DPARLEY_ASSERTIONS=OFF
# On a namespace LAN (needs root): the 512-peer storm, connect-and-close cycles, a 4 MiB flood (and the storm during
# one), the fan-out of a typed line and of 200 typed lines to 511 peers with a listed probe, and the start with a
# 100 MB chat.txt, each against its baseline.
bash "$root/bench/lan.sh" "$PARLEY_BUILD_DIR" 100
# Files between two copies on a namespace LAN (needs root): 1 GiB, and 10,000 files of 4 KiB, against a bare TLS 1.3
# stream between the same hosts, with a listed probe's longest wait and each copy's memory growth.
bash "$root/bench/files.sh" "$PARLEY_BUILD_DIR"
# In one process, where a figure needs the program's inside: the popup under a burst of lines, the chat area with a
# 100 MB log (memory, moving through it, the close), what one flooding peer costs the display, 10,000 lines a second
# written to chat.txt as they come, a search of a 1 GB history against grep, and 200 lines handed to 512
# connections against a C write loop.
"$PARLEY_BUILD_DIR/bench/bench_popupburst"
"$PARLEY_BUILD_DIR/bench/bench_bigchat" 100
"$PARLEY_BUILD_DIR/bench/bench_flood"
"$PARLEY_BUILD_DIR/bench/bench_journal"
"$PARLEY_BUILD_DIR/bench/bench_find" 1024
"$PARLEY_BUILD_DIR/bench/bench_fanout"
# A copy's memory against a bare Qt tray program's (needs root), on a desktop with a notification area: in the tray
# before its window was ever shown, and with the window shown holding 2,000 lines.
bash "$root/bench/footprint.sh" "$PARLEY_BUILD_DIR"
# An office starting at once on a namespace LAN (needs root): time until the full mesh, and how it grows, with each
# copy's memory against a bare Qt tray program's (512 copies take about 8 GB and ten minutes).
for copies in 8 128 240 512; do
    bash "$root/tests/e2e/mesh.sh" "$PARLEY_BUILD_DIR/parley" "$copies" --bench
done
bash "$root/tests/e2e/mesh.sh" "$PARLEY_BUILD_DIR/bench/bare_tray" 128 --bench
