#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 300) from its corpus in tests/data/:
# the settings file, what a peer sends on 196, the pins file and the key file. With --merge, what a run found
# interesting goes into the committed corpus; without it (as the test command runs it) the corpus is only read.
# Exits non-zero on the first crash, hang or memory error.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PARLEY_SETUP_EXTRA="clang libclang-rt-14-dev" "$root/scripts/setup.sh"
seconds="${1:-300}"
merge="${2:-}"
out="${PARLEY_FUZZ_BUILD_DIR:-$root/build-fuzz}"
mkdir -p "$out"
core="$root/core"
base_sources=("$core/platform/TextCodec.cpp" "$core/base/Errors.cpp")
declare -A sources=(
    [profile]="$core/platform/ProfileFile.cpp $core/platform/SaveFile.cpp"
    [wire]="$core/net/Wire.cpp"
    [pins]="$core/net/Pins.cpp $core/net/Wire.cpp $core/platform/SaveFile.cpp"
    [key]="$core/net/Identity.cpp $core/platform/LibCrypto.cpp $core/platform/SaveFile.cpp"
)
declare -A libraries=([profile]=Qt6Core [wire]=Qt6Core [pins]=Qt6Core [key]="Qt6Network openssl")
for target in profile wire pins key; do
    read -r -a own <<<"${sources[$target]}"
    read -r -a libs <<<"${libraries[$target]}"
    echo "== fuzz_$target, $seconds s"
    # shellcheck disable=SC2046
    clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -fPIC \
        -I"$root" $(pkg-config --cflags Qt6Core "${libs[@]}") -DQT_NO_KEYWORDS \
        "$root/tests/fuzz/fuzz_$target.cpp" "${own[@]}" "${base_sources[@]}" \
        $(pkg-config --libs Qt6Core "${libs[@]}") -o "$out/fuzz_$target"
    corpus="$root/tests/data/$target-corpus"
    found="$out/$target-found"
    rm -rf "$found"
    mkdir -p "$found" "$corpus"
    # Memory is bounded as for a peer: 1 GiB at most, any input of up to 64 KiB.
    "$out/fuzz_$target" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=1024 -timeout=10 \
        -print_final_stats=1 "$found" "$corpus" 2>"$out/fuzz_$target.log" ||
        { tail -60 "$out/fuzz_$target.log"; exit 1; }
    grep -E "^(stat::number_of_executed_units|Done)" "$out/fuzz_$target.log" || true
    if [[ "$merge" == "--merge" ]]; then
        "$out/fuzz_$target" -merge=1 "$corpus" "$found" 2>/dev/null
    fi
done
