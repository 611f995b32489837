#!/usr/bin/env bash
# Builds the engine, the platform layer, their tests and the Win32 window as 64-bit Windows
# programs with MinGW-w64, runs the tests under wine with the Chinese system locale (ANSI code
# page 936): the Windows implementation of the platform layer and the core on it, on a Debian
# machine; then drives the window end to end on a virtual display (scripts/e2e-windows.sh).
# Installs what is missing (as root, or with sudo). Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."

# googletest: the sources, built for Windows; locales: what wine's zh_CN locale is compiled from;
# the virtual display, input, clipboard and screenshot tools of the end-to-end run, and a Chinese
# font for its screenshot (wine takes the system's fonts).
"$(dirname "$0")/install-deps.sh" g++-mingw-w64-x86-64 wine64 googletest locales \
  xvfb xdotool xclip imagemagick fonts-noto-cjk

# The workbook export's library, built for Windows once.
scripts/build-xlsxwriter-mingw.sh
jobs="$(nproc)"
build=build/mingw
echo "=== windows: configure and build"
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DKORLO_BUILD_APP=ON -DKORLO_BUILD_BENCH=OFF -DKORLO_WERROR=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$jobs"
echo "=== windows: tests under wine"
status=0
ctest --test-dir "$build" --output-on-failure -j "$jobs" || status=$?
# The wine server outlives the last program by a few seconds: leave nothing running.
wineserver="$(command -v wineserver || echo /usr/lib/wine/wineserver)"
WINEPREFIX="$PWD/$build/wine/prefix" "$wineserver" -w
echo "=== windows: the window end to end under wine"
scripts/e2e-windows.sh || status=$?
exit "$status"
