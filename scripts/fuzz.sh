#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in build/fuzz (installing clang and its
# runtime libraries when missing) and runs each, one after the other, for SECONDS seconds
# (default 30), starting from its committed seeds in fuzz/corpus/<target>. Exits non-zero on the
# first finding; libFuzzer prints it and saves the input under build/fuzz/artifacts/<target>/.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-30}"
if ! [[ $seconds =~ ^[0-9]+$ ]]; then
  echo "usage: $0 [SECONDS]" >&2
  exit 2
fi

"$(dirname "$0")/install-deps.sh" clang-14 libclang-rt-14-dev

build=build/fuzz
echo "=== fuzz: configure and build"
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORLO_WERROR=ON -DKORLO_BUILD_FUZZERS=ON \
  -DKORLO_BUILD_TESTS=OFF -DKORLO_BUILD_BENCH=OFF -DKORLO_BUILD_APP=OFF
cmake --build "$build" -j "$(nproc)"

for target in decode_fuzzer load_fuzzer match_fuzzer; do
  echo "=== fuzz: $target for ${seconds}s"
  # New inputs go to the first folder (build output); the seeds are only read.
  work="$build/corpus/$target"
  artifacts="$build/artifacts/$target"
  mkdir -p "$work" "$artifacts"
  "$build/fuzz/$target" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$work" "fuzz/corpus/$target"
done
echo "=== fuzz: no findings"
