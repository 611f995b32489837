#!/usr/bin/env bash
# Builds the release artefacts (scripts/package.sh) and checks them as an operator would take
# them (as root, or with sudo: it installs the package):
#   the zip holds one folder with the exe, the guide and the licence; the exe carries its icon
#   and version information, and started from the unpacked folder under wine its window appears;
#   the Debian package declares its Qt, font and library dependencies and a valid desktop entry,
#   installs with apt-get, the installed program's window appears on a virtual display, and
#   apt-get removes every file it installed.
# Exits non-zero, saying what differed, on the first failure; leaves nothing running or installed.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/virtual-display.sh
repo=$PWD
# The tools read and print UTF-8 (window names); the programs get their own locale.
export LC_ALL=C.UTF-8

"$(dirname "$0")/install-deps.sh" wine64 locales xvfb xdotool icoutils desktop-file-utils
scripts/package.sh

version=$(sed -n 's/^project(KorloLogAnalyzer VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
folder="korlo-log-analyzer-$version-win64"
zip="dist/$folder.zip"
deb=$(ls dist/korlo-log-analyzer_"$version"_*.deb)
package=korlo-log-analyzer
caption="KorloPC引擎日志分析工具"
state=build/mingw/wine-package # a wine prefix of its own, started on the test's display
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)

work=$(mktemp -d /tmp/korlo-package-test.XXXXXX)
xvfb_pid=""
app_pid=""
installed=0
cleanup() {
  if [[ -n $app_pid ]] && kill -0 "$app_pid" 2>/dev/null; then kill "$app_pid" 2>/dev/null || true; fi
  if [[ -d $state/prefix ]]; then WINEPREFIX="$repo/$state/prefix" "$wineserver" -k 2>/dev/null || true; fi
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  if ((installed)); then
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get remove -y "$package" >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "test-package: FAIL: $*" >&2
  exit 1
}
step() { echo "--- $*"; }

# Waits up to a minute for the window captioned $caption of the program started as $app_pid
# ($1 names it, $2 is its output); prints the window's id and caption.
expect_window() {
  local id="" candidate status=0
  for _ in $(seq 1 300); do
    # Found by an ASCII prefix and compared whole: xdotool's pattern does not match the
    # Chinese caption of every toolkit's windows.
    for candidate in $(xdotool search --onlyvisible --name '^KorloPC' 2>/dev/null || true); do
      [[ $(xdotool getwindowname "$candidate") == "$caption" ]] && id=$candidate
    done
    [[ -n $id ]] && break
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.2
  done
  if [[ -z $id ]]; then
    kill -0 "$app_pid" 2>/dev/null || { wait "$app_pid" || status=$?; }
    fail "$1 showed no window captioned $caption (exit status $status): $(cat "$2")"
  fi
  echo "window $id: $(xdotool getwindowname "$id")"
}
# Ends the program started as $app_pid and waits for it.
stop_app() {
  kill "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
  app_pid=""
}

step "the zip: $zip"
/usr/bin/python3 - "$zip" "$folder" <<'EOF' || fail "the zip does not hold what it should"
import sys, zipfile
archive, folder = zipfile.ZipFile(sys.argv[1]), sys.argv[2]
names = sorted(archive.namelist())
expected = sorted(f"{folder}/{name}" for name in
                  ("korlo-log-analyzer.exe", "使用说明.html", "LICENSE.txt"))
print("\n".join(names))
for info in archive.infolist():  # the Chinese name is marked UTF-8, as Explorer reads it
    if not info.filename.isascii() and not info.flag_bits & 0x800:
        sys.exit(f"{info.filename} is not marked UTF-8")
sys.exit(0 if names == expected else f"expected {expected}")
EOF
/usr/bin/python3 -c "import zipfile, sys; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])" \
  "$zip" "$work"
exe="$work/$folder/korlo-log-analyzer.exe"
grep -q "MIT License" "$work/$folder/LICENSE.txt" || fail "LICENSE.txt is not the MIT licence"
grep -q "<h2 id=\"8-导出结果\">" "$work/$folder/使用说明.html" || fail "the guide has no export section"
grep -q 'src="data:image/png;base64,' "$work/$folder/使用说明.html" ||
  fail "the guide's screenshots are not inside it"

step "the exe's icon and version information"
resources=$(wrestool -l "$exe")
echo "$resources"
grep -q "type=group_icon" <<<"$resources" || fail "the exe has no icon"
grep -q "type=version" <<<"$resources" || fail "the exe has no version information"
wrestool -x --raw --type=16 "$exe" >"$work/version.bin"
/usr/bin/python3 - "$work/version.bin" "$version" <<'EOF' || fail "the version information differs"
import re, sys
text = open(sys.argv[1], "rb").read().decode("utf-16-le", errors="replace")
strings = [s for s in re.split("\x00+", text) if s.strip()]
values = dict(zip(strings, strings[1:]))
expected = {"ProductName": "Korlo引擎日志分析工具", "FileDescription": "Korlo引擎日志分析工具",
            "FileVersion": sys.argv[2], "ProductVersion": sys.argv[2]}
for key, value in expected.items():
    found = next((v for k, v in values.items() if k.endswith(key)), None)
    print(f"{key}: {found}")
    if found != value:
        sys.exit(f"{key} is {found!r}, expected {value!r}")
copyright = next(v for k, v in values.items() if k.endswith("LegalCopyright"))
print(f"LegalCopyright: {copyright}")
sys.exit(0 if "MIT" in copyright else "no licence in LegalCopyright")
EOF

step "virtual display"
start_virtual_display "$work" 1280x1024x24
display=$DISPLAY

step "the exe from the unpacked zip starts under wine"
if [[ -d $state/prefix ]]; then WINEPREFIX="$repo/$state/prefix" "$wineserver" -k 2>/dev/null || true; fi
(cd "$work/$folder" && KORLO_WINE_DISPLAY=$display exec "$repo/cmake/wine-run.sh" "$repo/$state" \
  "$wine" "$exe") >"$work/exe.log" 2>&1 &
app_pid=$!
expect_window "the exe" "$work/exe.log"
stop_app
WINEPREFIX="$repo/$state/prefix" "$wineserver" -k 2>/dev/null || true

step "the Debian package: $deb"
dpkg-deb -f "$deb" Package Version Depends
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 qt6-qpa-plugins fonts-noto-cjk libxlsxwriter; do
  grep -q "$needed" <<<"$depends" || fail "the package does not depend on $needed"
done
dpkg-deb -x "$deb" "$work/deb"
desktop-file-validate "$work/deb/usr/share/applications/korlo-log-analyzer.desktop" ||
  fail "the desktop entry is not valid"
[[ -f $work/deb/usr/share/icons/hicolor/48x48/apps/korlo-log-analyzer.png ]] ||
  fail "the package has no 48x48 icon"
grep -q "MIT License" "$work/deb/usr/share/doc/korlo-log-analyzer/copyright" ||
  fail "the package's copyright file does not name the MIT licence"

step "apt-get install"
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends \
  "$repo/$deb" >"$work/install.log" 2>&1 || fail "apt-get install failed: $(tail -n 20 "$work/install.log")"
installed=1
mapfile -t files < <(dpkg -L "$package" | while read -r path; do [[ -f $path ]] && echo "$path"; done)
echo "${#files[@]} files installed"
program=$(command -v korlo-log-analyzer) || fail "korlo-log-analyzer is not on the PATH"
[[ $program == /usr/bin/korlo-log-analyzer ]] || fail "the program is $program, not /usr/bin"

step "the installed program starts"
mkdir -m 700 "$work/xdg"
(cd "$work" && exec env QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/xdg" LC_ALL=zh_CN.UTF-8 \
  "$program") >"$work/installed.log" 2>&1 &
app_pid=$!
expect_window "the installed program" "$work/installed.log"
stop_app

step "apt-get remove"
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get remove -y "$package" >"$work/remove.log" 2>&1 ||
  fail "apt-get remove failed: $(tail -n 20 "$work/remove.log")"
installed=0
status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
[[ $status != "install ok installed" ]] || fail "the package is still installed"
for path in "${files[@]}"; do
  [[ ! -e $path ]] || fail "$path is left after apt-get remove"
done
echo "removed: ${#files[@]} files gone"
echo "test-package: OK"
