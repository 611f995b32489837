#!/usr/bin/env bash
# Builds the Windows program on a Debian machine (as root, or with sudo, for the packages):
# one self-contained build/mingw/app/korlo-log-analyzer.exe, 64-bit, statically linked, that
# imports only DLLs every Windows has. Copy that one file to a Windows 10 or 11 machine and run
# it; nothing is installed.
set -euo pipefail
cd "$(dirname "$0")/.."

"$(dirname "$0")/install-deps.sh" g++-mingw-w64-x86-64 googletest

# The workbook export's library, built for Windows once.
scripts/build-xlsxwriter-mingw.sh
build=build/mingw
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DKORLO_BUILD_APP=ON -DKORLO_BUILD_BENCH=OFF -DKORLO_WERROR=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$(nproc)" --target korlo-log-analyzer
ls -l "$build/app/korlo-log-analyzer.exe"
