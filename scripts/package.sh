#!/usr/bin/env bash
# Builds the two release artefacts on a Debian machine (as root, or with sudo, for the packages):
#   dist/korlo-log-analyzer-VERSION-win64.zip   the Windows program (one exe), the guide as one
#                                                HTML file and the licence, in one folder
#   dist/korlo-log-analyzer_VERSION_amd64.deb   the Linux program with its desktop entry, icons,
#                                                guide and licence (CPack)
# The Windows program is built in build/mingw, the Linux one in build/package (Release).
set -euo pipefail
cd "$(dirname "$0")/.."

"$(dirname "$0")/install-deps.sh" g++-mingw-w64-x86-64 googletest dpkg-dev file python3-markdown
jobs="$(nproc)"
version=$(sed -n 's/^project(KorloLogAnalyzer VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[[ -n $version ]] || { echo "package: no version in CMakeLists.txt" >&2; exit 1; }
mkdir -p dist
stage=$(mktemp -d /tmp/korlo-package.XXXXXX)
trap 'rm -rf "$stage"' EXIT

echo "=== package: the guide as HTML"
guide="$stage/使用说明.html"
/usr/bin/python3 scripts/guide-html.py docs/使用说明.md "$guide"

echo "=== package: the Windows program"
scripts/build-xlsxwriter-mingw.sh
cmake -S . -B build/mingw -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DKORLO_BUILD_APP=ON -DKORLO_BUILD_BENCH=OFF -DKORLO_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/mingw -j "$jobs" --target korlo-log-analyzer
folder="korlo-log-analyzer-$version-win64"
mkdir -p "$stage/$folder"
x86_64-w64-mingw32-strip -o "$stage/$folder/korlo-log-analyzer.exe" build/mingw/app/korlo-log-analyzer.exe
cp "$guide" "$stage/$folder/"
# Notepad's line ends.
sed 's/$/\r/' LICENSE >"$stage/$folder/LICENSE.txt"
zip="dist/$folder.zip"
rm -f "$zip"
# Python's zipfile marks the Chinese name as UTF-8, which Explorer and unzip honour.
/usr/bin/python3 - "$stage" "$folder" "$zip" <<'EOF'
import pathlib, sys, zipfile
stage, folder, output = pathlib.Path(sys.argv[1]), sys.argv[2], sys.argv[3]
with zipfile.ZipFile(output, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
    for path in sorted((stage / folder).iterdir()):
        archive.write(path, f"{folder}/{path.name}")
EOF

echo "=== package: the Debian package"
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORLO_WERROR=ON \
  -DKORLO_BUILD_TESTS=OFF -DKORLO_BUILD_BENCH=OFF -DKORLO_GUIDE_HTML="$guide"
cmake --build build/package -j "$jobs"
(cd build/package && cpack -G DEB -B "$PWD/cpack" >/dev/null)
deb=$(ls build/package/cpack/korlo-log-analyzer_"$version"_*.deb)
cp "$deb" dist/

ls -l "$zip" "dist/$(basename "$deb")"
