#!/usr/bin/env bash
# Builds an optimised tree and runs the benchmarks; each prints its figure and its ratio to a baseline measured in
# the same run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
export PARLEY_BUILD_DIR="$root/build-bench" PARLEY_BUILD_TYPE=Release
"$root/scripts/build.sh" -DPARLEY_TESTS=ON
"$PARLEY_BUILD_DIR/bench/bench_fanout"
"$PARLEY_BUILD_DIR/bench/bench_storm"
"$PARLEY_BUILD_DIR/bench/bench_popupburst"
"$PARLEY_BUILD_DIR/bench/bench_bigchat" 100
# An office starting at once on a namespace LAN (needs root): time until the full mesh, and how it grows.
for copies in 8 16 32; do
    bash "$root/tests/e2e/mesh.sh" "$PARLEY_BUILD_DIR/parley" "$copies" --bench
done
