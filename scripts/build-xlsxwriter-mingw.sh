#!/usr/bin/env bash
# Builds libxlsxwriter (the workbook export's library) for 64-bit Windows with MinGW-w64, from
# Debian's own source package, as a static library against Debian's static zlib for MinGW-w64
# (libz-mingw-w64-dev), and installs it into PREFIX (default build/mingw-deps): the Windows
# program then links it in and still imports only system DLLs. Does nothing when PREFIX already
# holds it. Adds a deb-src entry for Debian's main archive when apt has none. Needs root or sudo
# for the packages.
#
#   scripts/build-xlsxwriter-mingw.sh [PREFIX]
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
prefix=$(realpath -m "${1:-build/mingw-deps}")
[[ -f $prefix/lib/libxlsxwriter.a && -f $prefix/include/xlsxwriter.h ]] && exit 0

scripts/install-deps.sh dpkg-dev g++-mingw-w64-x86-64 libz-mingw-w64-dev
sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
if ! apt-get source --print-uris libxlsxwriter >/dev/null 2>&1; then
  # Debian's sources of the release this machine runs.
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/korlo-deb-src.sources >/dev/null <<SOURCES
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  "${sudo_cmd[@]}" apt-get update -qq
fi

work=$(mktemp -d /tmp/korlo-xlsxwriter.XXXXXX)
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get source -qq libxlsxwriter >/dev/null 2>&1)
source_dir=$(find "$work" -maxdepth 1 -type d -name 'libxlsxwriter-*' | head -n 1)
[[ -n $source_dir ]] || { echo "build-xlsxwriter-mingw: no libxlsxwriter sources" >&2; exit 1; }
cmake -S "$source_dir" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include \
  -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a >"$work/configure.log" 2>&1 ||
  { cat "$work/configure.log" >&2; exit 1; }
cmake --build "$work/build" -j "$(nproc)" >"$work/build.log" 2>&1 ||
  { tail -40 "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" >/dev/null
ls -l "$prefix/lib/libxlsxwriter.a"
