#!/usr/bin/env bash
# Configures and builds Parley into build/ (or $PARLEY_BUILD_DIR) with the given extra CMake options: optimised,
# without debug information (a person's first start waits for this build), unless PARLEY_BUILD_TYPE says otherwise.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${PARLEY_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${PARLEY_BUILD_TYPE:-Release}" "$@" >/dev/null
cmake --build "$build"
