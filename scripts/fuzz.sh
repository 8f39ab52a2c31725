#!/usr/bin/env bash
# Builds the settings-file parser's libFuzzer target with clang and runs it for SECONDS (default 300), then merges
# what it found interesting into tests/data/profile-corpus, which the test suite replays.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PARLEY_SETUP_EXTRA="clang libclang-rt-14-dev" "$root/scripts/setup.sh"
seconds="${1:-300}"
out="$root/build-fuzz"
mkdir -p "$out/new"
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fPIC -I"$root" \
    $(pkg-config --cflags Qt6Core) -DQT_NO_KEYWORDS \
    "$root/tests/fuzz/fuzz_profile.cpp" "$root/core/platform/ProfileFile.cpp" "$root/core/platform/SaveFile.cpp" \
    "$root/core/platform/TextCodec.cpp" "$root/core/base/Errors.cpp" \
    $(pkg-config --libs Qt6Core) -o "$out/fuzz_profile"
"$out/fuzz_profile" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    "$out/new" "$root/tests/data/profile-corpus"
"$out/fuzz_profile" -merge=1 "$root/tests/data/profile-corpus" "$out/new"
