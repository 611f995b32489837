#!/usr/bin/env bash
# Takes the operator's guide's screenshots (docs/guide/*.png) from the Windows program as
# operators see it: build/mingw/app/korlo-log-analyzer.exe under wine with the Chinese system
# locale (code page 936), on a virtual display of its own, driven with xdotool through each task
# of docs/使用说明.md on a small generated GBK server root. Needs build/mingw (scripts/
# test-windows.sh or scripts/package.sh builds it) and build/release/bench/loggen; leaves nothing
# running.
#
# Usage: scripts/guide-screenshots.sh [OUTPUT_DIR]   (default docs/guide)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/virtual-display.sh
source scripts/lib/window-input.sh
repo=$PWD
out=${1:-docs/guide}
[[ $out == /* ]] || out="$repo/$out"

"$(dirname "$0")/install-deps.sh" wine64 locales xvfb openbox xdotool imagemagick fonts-noto-cjk

exe=build/mingw/app/korlo-log-analyzer.exe
loggen=build/release/bench/loggen
logbench=build/release/bench/logbench
state=build/mingw/wine-guide # a wine prefix of its own, started on this display
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
for tool in "$exe" "$loggen" "$logbench"; do
  [[ -e $tool ]] || { echo "guide-screenshots: $tool is not built" >&2; exit 1; }
done

work=$(mktemp -d /tmp/korlo-guide.XXXXXX)
xvfb_pid=""
wm_pid=""
app_pid=""
cleanup() {
  if [[ -n $app_pid ]] && kill -0 "$app_pid" 2>/dev/null; then kill "$app_pid" 2>/dev/null || true; fi
  if [[ -d $state/prefix ]]; then WINEPREFIX="$repo/$state/prefix" "$wineserver" -k 2>/dev/null || true; fi
  if [[ -n $wm_pid ]]; then kill "$wm_pid" 2>/dev/null || true; fi
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "guide-screenshots: $*" >&2
  exit 1
}

# Three days of three files, in the server's own folder.
root=$work/KorloServer
"$loggen" --root "$root" --size 3 --days 3 --files-per-day 3 --encoding gbk --seed 7 >/dev/null
days=()
for day in "$root"/LogServer/BaseDir/*/; do days+=("$(basename "$day")"); done
dates=$(
  IFS=,
  echo "${days[*]}"
)
"$logbench" --root "$root" --dates "$dates" --codepage GBK --dump "$work/all.txt" >/dev/null
item=$(head -n 1 "$work/all.txt" | cut -f 10) # row 1's 物品名称

mkdir -p "$state" "$out"
if [[ -d $state/prefix ]]; then WINEPREFIX="$repo/$state/prefix" "$wineserver" -k 2>/dev/null || true; fi
start_virtual_display "$work" 1280x800x24
display=$DISPLAY
export LC_ALL=C.UTF-8
# A window manager, for the frames an operator sees: the caption with the program's icon.
openbox >"$work/openbox.log" 2>&1 &
wm_pid=$!
sleep 1

# The prefix made on this display, and its drive D: the work folder: the program starts on its
# default root, D:\KorloServer, as on a server.
KORLO_WINE_DISPLAY=$display cmake/wine-run.sh "$state" "$wine" cmd.exe /c exit >/dev/null 2>&1
ln -sfn "$work" "$state/prefix/dosdevices/d:"
# Started in the root, where the save dialog opens.
(cd "$root" && KORLO_WINE_DISPLAY=$display "$repo/cmake/wine-run.sh" "$repo/$state" "$wine" \
  "$repo/$exe") >"$work/app.log" 2>&1 &
app_pid=$!
window=""
for _ in $(seq 1 600); do
  window=$(xdotool search --name "^KorloPC引擎日志分析工具\$" 2>/dev/null | head -n 1 || true)
  [[ -n $window ]] && break
  kill -0 "$app_pid" 2>/dev/null || fail "the program ended at start: $(cat "$work/app.log")"
  sleep 0.2
done
[[ -n $window ]] || fail "no window after two minutes"
sleep 2

# Client coordinates at 96 dpi from the layout table (xdotool's window is the client area, inside
# the frame): the top panel is 137 high, the grid begins at x 287.
top=137
row1=$((top + 2 + 20 + 10))
# The screen, cut to what is drawn on it (the windows, their menus and dialogs): $1 names it.
shot() {
  sleep "${2:-1.5}"
  import -window root "$work/screen.png"
  convert "$work/screen.png" -trim +repage "$out/$1.png"
  echo "$out/$1.png"
}
# The top of the window, its caption and $1 pixels of its client area, only.
shot_top() {
  sleep 1.5
  import -window root "$work/screen.png"
  convert "$work/screen.png" -trim +repage -crop "0x$(($1 + 30))+0+0" +repage "$out/$2.png"
  echo "$out/$2.png"
}

# 1. At start: the day folders of the default root; 全选 selects them all.
click 135 $((top + 247))
shot 01-start
# 2. Loaded.
key ctrl+l
shot 02-loaded 4
# 3. A keyword condition on 物品名称, exact.
click 140 68
shot_top 300 03-columns
x key Down Down Down Down Down Return
click 260 68
type_text "$item"
key ctrl+l
shot_top 330 04-keyword
click 260 68
key ctrl+a BackSpace
# 4. Actions: the login and logout entries of the player group, ticked with the keyboard (a
#    click right of the boxes makes 选择全部 current without ticking it; End, Up, Space).
click 150 $((top + 290 + 2 + 8))
key End Up Up Up Up space Up space
key ctrl+l
shot 05-actions 3
click 50 643 # 全选动作 (btnSelectAllActions, under the list): every record again
key ctrl+l
sleep 2
# 5. The code page box, open.
click 905 68
shot_top 260 06-codepage
x key Escape
# 6. The grid's context menu.
click "$(column_x 7)" $((row1 + 40)) 3
shot 07-menu
x key Escape
# 7. The export dialog (Ctrl+S).
key ctrl+s
sleep 2
shot 08-export
x key Escape
sleep 1
# 8. Sorted by 物品流水号, descending (the menu's sixth entry).
click "$(column_x 7)" "$row1" 3
sleep 1
x key Down Down Down Down Down Return
shot 09-sort 2
# 9. A time range: the first day's afternoon.
click 165 105
type_text "${days[0]} 12"
click 395 105
type_text "${days[0]} 18"
key ctrl+l
shot_top 400 10-time-range
click 165 105
key ctrl+a BackSpace
click 395 105
key ctrl+a BackSpace
# 10. Counts of 物品名称 (the menu's eighth entry) in a window of their own.
click "$(column_x 9)" "$row1" 3
sleep 1
x key Down Down Down Down Down Down Down Return
shot 11-counts 2
counts=$(xdotool search --name "^统计: 物品名称" 2>/dev/null | head -n 1 || true)
[[ -n $counts ]] || fail "统计此列 opened no count window"
x windowfocus --sync "$counts" || true
x key alt+F4
sleep 1
# 11. Following: 实时跟踪 ticked, the server appends to the newest day's log.
click 1073 67
newest=$root/LogServer/BaseDir/${days[-1]}
log=$(ls "$newest" | head -n 1)
for i in 1 2 3; do
  tail -n 1 "$newest/$log" | sed "s/^[^\t]*/guide$i/" >>"$newest/$log"
done
shot 12-follow 5
key alt+F4
for _ in $(seq 1 100); do
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.1
done
app_pid=""

# 13. The Linux program (build/release) on the same root, every day loaded.
linux_app=build/release/app/korlo-log-analyzer
if [[ -x $linux_app ]]; then
  mkdir -m 700 -p "$work/xdg"
  # Its default root, D:\KorloServer, is D:/KorloServer under the folder it starts in.
  mkdir -p "$work/D:"
  ln -sfn "$root" "$work/D:/KorloServer"
  (cd "$work" && exec env QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/xdg" LC_ALL=zh_CN.UTF-8 \
    LOCPATH="$repo/$state/locales" "$repo/$linux_app") >"$work/linux.log" 2>&1 &
  app_pid=$!
  window=""
  for _ in $(seq 1 100); do
    window=$(xdotool search --name "^KorloPC引擎日志分析工具\$" 2>/dev/null | head -n 1 || true)
    [[ -n $window ]] && break
    sleep 0.2
  done
  [[ -n $window ]] || fail "the Linux program showed no window: $(cat "$work/linux.log")"
  sleep 1
  click 135 $((top + 247))
  key ctrl+l
  shot linux 4
  key alt+F4
fi
echo "guide-screenshots: OK"
