#!/usr/bin/env bash
# Sets up a fresh Debian machine (as root, or with sudo), builds everything with warnings as
# errors, and runs every test: once in a release build, once under AddressSanitizer and
# UndefinedBehaviorSanitizer. Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."

"$(dirname "$0")/install-deps.sh"

jobs="$(nproc)"
for config in release asan; do
  build="build/$config"
  flags=(-DKORLO_WERROR=ON)
  if [[ $config == asan ]]; then
    flags+=(-DKORLO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
  else
    flags+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
  fi
  echo "=== $config: configure and build"
  cmake -S . -B "$build" -G Ninja "${flags[@]}"
  cmake --build "$build" -j "$jobs"
  echo "=== $config: tests"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$build" --output-on-failure -j "$jobs"
  if [[ $config == release ]]; then scripts/e2e-linux.sh --build "$build"; fi
done
scripts/test-windows.sh
scripts/test-package.sh
scripts/fuzz.sh 30
