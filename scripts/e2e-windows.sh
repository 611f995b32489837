#!/usr/bin/env bash
# End-to-end check of the Windows window (build/mingw/app/korlo-log-analyzer.exe) under wine, on
# a virtual X display of its own, driven with xdotool as an operator would drive it:
#
#   1. the program imports only system DLLs;
#   2. a small GBK server root is generated with loggen, and the records the engine must show
#      are dumped by logbench (the engine's own headless driver, built for Linux);
#   3. the window starts with the Chinese system locale (code page 936); the root is typed into
#      the path box as a Windows path (Z:\...), every day folder is selected with the 全选 button
#      and loaded with Ctrl+L; the account cell of row 1 is clicked and copied with Ctrl+C;
#   4. a keyword in 关键词1 and Ctrl+L run a query; the item-name cell of row 1 is copied;
#   5. the keyword is cleared, an action's check box is clicked, and Ctrl+L runs the query again;
#   6. the grid's context menu on row 2's account runs "按此值查询": row 1 then shows that account;
#   7. Ctrl+S exports the result through the save dialog: the file must equal logbench --export;
#   8. every copy must put the expected text on the clipboard and "已复制: TEXT" in the caption;
#      Ctrl+S again, to a workbook: read back by openpyxl, it must be logbench's dump cell by
#      cell; "按此列降序排序" on 物品流水号, a time range typed into 开始时间 and 结束时间, and
#      "统计此列" on 帐号 (the count window's export) must each give what logbench gives;
#   9. a screenshot of the window goes to docs/screenshot-windows.png;
#  10. a root of over 300,000 records is loaded; rows are clicked and Shift+clicked, Down, Page
#      Down, Ctrl+End and Shift+Up are pressed, and after each input the time the window takes to
#      answer a message is measured from outside (answer_probe, in the same wine prefix and on
#      the same display) and printed: over 500 ms fails (a loose bound against a window that
#      hangs, not a measure of speed); after Ctrl+End, Ctrl+C must copy the last row's number;
#  11. a live server: one logger (log_writer) keeps a new log open and appends to it, another
#      opens, appends and closes every time; the root is loaded while they write and 实时跟踪 is
#      ticked; no open of theirs may fail, and the last line written must reach the grid (a query
#      for it, row 1 copied);
#  12. the window is closed with Alt+F4 and must end the program.
#
# Needs build/mingw (scripts/test-windows.sh builds it) and build/release/bench/{loggen,logbench}
# (built here when missing). Exits non-zero on the first mismatch, saying what differed; leaves
# nothing running.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/window-input.sh
repo=$PWD

build=build/mingw
exe=$build/app/korlo-log-analyzer.exe
probe=$build/tools/answer_probe.exe
log_writer=$build/tools/log_writer.exe
state=$build/wine-display # a wine prefix of its own: one started headless shows no windows
loggen=build/release/bench/loggen
logbench=build/release/bench/logbench
caption="KorloPC引擎日志分析工具"
restored_caption="Korlo引擎日志分析工具"
screenshot=docs/screenshot-windows.png

window=""
failure_shot=$build/e2e-windows-failure.png
fail() {
  echo "e2e-windows: FAIL: $*" >&2
  if [[ -n $window ]] && import -window "$window" "$failure_shot" 2>/dev/null; then
    echo "e2e-windows: the window at the failure: $failure_shot" >&2
  fi
  exit 1
}
step() { echo "--- $*"; }

[[ -f $exe ]] || fail "$exe is missing: build it with scripts/test-windows.sh"
[[ -f $probe ]] || fail "$probe is missing: build it with scripts/test-windows.sh"
[[ -f $log_writer ]] || fail "$log_writer is missing: build it with scripts/test-windows.sh"
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
for tool in "$wine" "$wineserver" Xvfb xdotool xclip import x86_64-w64-mingw32-objdump; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done

step "imported DLLs"
system_dlls='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|shlwapi|ole32|oleaut32|advapi32|uxtheme|msvcrt|ws2_32|psapi|version)\.dll$'
dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ { print $3 }')
echo "$dlls" | tr '\n' ' '
echo
while read -r dll; do
  echo "$dll" | grep -qiE "$system_dlls" || fail "$exe imports $dll, which is not a system DLL"
done <<<"$dlls"

if [[ ! -x $loggen || ! -x $logbench ]]; then
  step "building loggen and logbench in build/release"
  cmake -S . -B build/release -G Ninja -DKORLO_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build build/release -j "$(nproc)" --target loggen logbench
fi

# One run at a time: the wine prefix, and so its wine server, desktop and clipboard, is shared.
mkdir -p "$state"
exec 8>"$state/e2e.lock"
flock 8
# A wine server left over in this prefix may be attached to another display.
if [[ -d $state/prefix ]]; then WINEPREFIX="$repo/$state/prefix" "$wineserver" -k 2>/dev/null || true; fi

work=$(mktemp -d /tmp/korlo-e2e.XXXXXX)
xvfb_pid=""
app_pid=""
cleanup() {
  if [[ -n $app_pid ]] && kill -0 "$app_pid" 2>/dev/null; then kill "$app_pid" 2>/dev/null || true; fi
  if [[ -d $state/prefix ]]; then WINEPREFIX="$repo/$state/prefix" "$wineserver" -k 2>/dev/null || true; fi
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

step "test data"
root=$work/KorloServer
"$loggen" --root "$root" --size 2 --days 2 --files-per-day 3 --encoding gbk --seed 1 >/dev/null
days=()
# Several files a day: logbench on Linux and the program under wine list them in the same (NTFS
# name) order, so their records come in the same order.
for day in "$root"/LogServer/BaseDir/*/; do
  days+=("$(basename "$day")")
done
dates=$(
  IFS=,
  echo "${days[*]}"
)
keyword=kr7936958 # an account with a few records in this seed's data
action=2          # "取回仓库物品": a group member, drawn indented at 25 pixels
dump() { # OUTPUT [logbench options...]
  local output=$1
  shift
  "$logbench" --root "$root" --dates "$dates" --codepage GBK --dump "$output" "$@" >/dev/null
  [[ -s $output ]] || fail "logbench $* found no records"
}
dump "$work/all.txt"
dump "$work/keyword.txt" --kw1 "$keyword"
dump "$work/action.txt" --toggle "$action"
# The large root: one day of two files, about 100 bytes a line, so 32 MiB hold over 300,000
# records.
big_root=$work/KorloServerLarge
"$loggen" --root "$big_root" --size 32 --days 1 --files-per-day 2 --encoding gbk --seed 2 >/dev/null
big_day=$(basename "$big_root"/LogServer/BaseDir/*/)
big_records=$("$logbench" --root "$big_root" --dates "$big_day" --codepage GBK | sed -n 's/^matches=//p')
((big_records >= 300000)) || fail "the large root holds $big_records records, not over 300,000"
# The dump: the row number, then the fourteen record columns, TAB-separated.
cell() { head -n 1 "$1" | cut -f "$(($2 + 1))"; }

step "virtual display"
display=""
for number in $(seq 93 130); do
  if [[ ! -e /tmp/.X$number-lock && ! -e /tmp/.X11-unix/X$number ]]; then
    display=:$number
    break
  fi
done
[[ -n $display ]] || fail "no free X display between :93 and :130"
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [[ -e /tmp/.X11-unix/X${display#:} ]] && break
  sleep 0.1
done
kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start on $display: $(cat "$work/xvfb.log")"
export DISPLAY=$display

step "start the window"
started=$(date +%s%N)
KORLO_WINE_DISPLAY=$display cmake/wine-run.sh "$state" "$wine" "$exe" >"$work/app.log" 2>&1 &
app_pid=$!
for _ in $(seq 1 600); do
  window=$(xdotool search --name "^$caption\$" 2>/dev/null | head -n 1 || true)
  [[ -n $window ]] && break
  kill -0 "$app_pid" 2>/dev/null || fail "the program ended at start: $(cat "$work/app.log")"
  sleep 0.2
done
[[ -n $window ]] || fail "no window captioned $caption after two minutes"
echo "window shown after $((($(date +%s%N) - started) / 1000000)) ms"

# Without a window manager the X window is the client area: positions are client coordinates
# at 96 dpi, from the layout table (Panel2 on top, 137 high; pnlLeft below it; the grid right of
# the 5-pixel splitter at x 280; sunken controls have a 2-pixel edge).
# Input through scripts/lib/window-input.sh (x, click, key, type_text, column_x).
caption_now() { xdotool getwindowname "$window" 2>/dev/null; }
top=137 # the top panel's height: pnlLeft and the grid begin below it
grid_row1_y=$((top + 2 + 20 + 10)) # below the 20-pixel header, inside the 20-pixel row

# Runs the input $3... (a click on a cell, a key) and presses Ctrl+C until the caption announces
# $1 (a load or query may still be running), then checks the clipboard (wine hands it to X a
# moment later) and waits for the caption to come back; $2 says what was copied.
input_and_copy() {
  local expected=$1 what=$2 seen="" clipboard="" attempts=0 deadline=$((SECONDS + 60))
  shift 2
  while ((SECONDS < deadline)); do
    attempts=$((attempts + 1))
    "$@"
    key ctrl+c
    for _ in $(seq 1 10); do
      seen=$(caption_now)
      [[ $seen == "已复制: "* ]] && break
      sleep 0.05
    done
    [[ $seen == "已复制: $expected" ]] && break
    sleep 1
  done
  [[ $seen == "已复制: $expected" ]] ||
    fail "$what: caption '$seen', expected '已复制: $expected'"
  for _ in $(seq 1 50); do
    clipboard=$(xclip -o -selection clipboard 2>/dev/null || true)
    [[ $clipboard == "$expected" ]] && break
    sleep 0.1
  done
  [[ $clipboard == "$expected" ]] || fail "$what: clipboard '$clipboard', expected '$expected'"
  for _ in $(seq 1 50); do
    [[ $(caption_now) == "$restored_caption" ]] && break
    sleep 0.1
  done
  [[ $(caption_now) == "$restored_caption" ]] ||
    fail "$what: caption '$(caption_now)' after the copy notice, expected '$restored_caption'"
  echo "$what: copied '$expected' (Ctrl+C pressed $attempts times)"
}
# Clicks the cell of grid column $1 in row 1 and copies it: $2 expected, $3 what.
copy_and_check() {
  input_and_copy "$2" "$3" click "$(column_x "$1")" "$grid_row1_y"
}

# How long the window takes to answer a message, measured from outside right after an input
# ($1 names it): printed, and over 500 ms fails.
answer_bound_ms=500
answer_after() {
  local what=$1 answer
  answer=$(KORLO_WINE_DISPLAY=$display timeout 180 cmake/wine-run.sh "$state" "$wine" "$probe" \
    --repeat --timeout 5000 "$(caption_now)" 2>&1 | tr -d '\r' | sed -n 's/^answer_ms=//p') || true
  [[ -n $answer ]] || fail "$what: the window did not answer within three minutes"
  echo "$what: answered after $answer ms"
  awk -v ms="$answer" -v bound="$answer_bound_ms" 'BEGIN { exit !(ms <= bound) }' ||
    fail "$what: the window took $answer ms to answer, over $answer_bound_ms ms"
}
shift_click() {
  x windowfocus --sync "$window" || true
  x mousemove --window "$window" "$1" "$2" keydown shift click 1 keyup shift
}
row_y() { echo $((grid_row1_y + ($1 - 1) * 20)); }

step "load"
sleep 1 # the first paint
windows_root="Z:${root//\//\\}"
click 145 31 # edtPath at (20, 20), 250 x 23
sleep 0.3
key ctrl+a
type_text "$windows_root"
click 135 $((top + 247)) # btnSelectAll at (100, 235) in pnlLeft, 70 x 25
key ctrl+l
copy_and_check 1 "$(cell "$work/all.txt" 1)" "load, row 1 帐号"

step "keyword query"
click 260 68 # edtKeyword1 at (200, 57), 120 x 23
type_text "$keyword"
key ctrl+l
copy_and_check 9 "$(cell "$work/keyword.txt" 9)" "关键词1 $keyword, row 1 物品名称"

step "action query"
click 260 68
key ctrl+a BackSpace
# lstActions at (10, 290) in pnlLeft, items 17 high: the check box of entry $action, at its
# indent of 25.
click $((10 + 2 + 25 + 8)) $((top + 290 + 2 + action * 17 + 8))
key ctrl+l
copy_and_check 9 "$(cell "$work/action.txt" 9)" "action $action ticked, row 1 物品名称"

step "query by a cell's value (context menu)"
value=$(sed -n 2p "$work/action.txt" | cut -f 2) # row 2's account in the action's result
x mousemove --window "$window" "$(column_x 1)" $((grid_row1_y + 20)) click 3
sleep 1
x key Down Down Down Return # 导出结果..., 复制选中行, 按此值查询 (the menu has the keyboard)
dump "$work/by-value.txt" --toggle "$action" --kw1 "$value" --col1 帐号 --exact1 1
copy_and_check 1 "$value" "按此值查询 $value, row 1 帐号"
copy_and_check 9 "$(cell "$work/by-value.txt" 9)" "按此值查询 $value, row 1 物品名称"

step "export (Ctrl+S)"
"$logbench" --root "$root" --dates "$dates" --codepage GBK --toggle "$action" --kw1 "$value" \
  --col1 帐号 --exact1 1 --export "$work/expected.csv" >/dev/null
key ctrl+s
dialog=""
for _ in $(seq 1 100); do
  dialog=$(xdotool search --name "^导出结果\$" 2>/dev/null | head -n 1 || true)
  [[ -n $dialog ]] && break
  sleep 0.1
done
[[ -n $dialog ]] || fail "no save dialog after Ctrl+S"
sleep 0.5
exported="Z:${work//\//\\}\\exported.csv"
x windowfocus --sync "$dialog" || true
x key ctrl+a
x type --delay 15 "$exported"
x key Return
for _ in $(seq 1 100); do
  [[ -s $work/exported.csv ]] && break
  sleep 0.1
done
[[ -s $work/exported.csv ]] || fail "no exported file at $work/exported.csv"
sleep 0.5
cmp -s "$work/expected.csv" "$work/exported.csv" ||
  fail "the exported file differs from logbench --export: $(cmp "$work/expected.csv" "$work/exported.csv")"
echo "export: $(wc -c <"$work/exported.csv") bytes, as logbench --export writes them"

# The save dialog titled $1: the name $2 typed into it, Return; waits for the file $3.
save_as() {
  local title=$1 name=$2 file=$3 dialog=""
  for _ in $(seq 1 100); do
    dialog=$(xdotool search --name "^$title\$" 2>/dev/null | head -n 1 || true)
    [[ -n $dialog ]] && break
    sleep 0.1
  done
  [[ -n $dialog ]] || fail "no save dialog titled $title"
  sleep 0.5
  x windowfocus --sync "$dialog" || true
  x key ctrl+a
  x type --delay 15 "$name"
  x key Return
  for _ in $(seq 1 100); do
    [[ -s $file ]] && break
    sleep 0.1
  done
  [[ -s $file ]] || fail "nothing written to $file"
  sleep 0.5
}
# The grid's context menu on column $1 of row $2, Down pressed $3 times, Return.
grid_menu() {
  x mousemove --window "$window" "$(column_x "$1")" "$(row_y "$2")" click 3
  sleep 1
  for ((i = 0; i < $3; i++)); do x key Down; done
  x key Return
}
# Back to the action's result, for rows enough to sort, bound and count.
click 260 68
key ctrl+a BackSpace
key ctrl+l
copy_and_check 9 "$(cell "$work/action.txt" 9)" "action $action again, row 1 物品名称"
query_options=(--toggle "$action")

step "export to a workbook"
key ctrl+s
save_as 导出结果 "Z:${work//\//\\}\\exported.xlsx" "$work/exported.xlsx"
/usr/bin/python3 tests/reference/check_xlsx.py --compare "$work/exported.xlsx" \
  "$work/action.txt" >"$work/xlsx.log" 2>&1 || fail "the workbook differs: $(cat "$work/xlsx.log")"
echo "workbook: $(cat "$work/xlsx.log")"

step "sort by 物品流水号, descending"
grid_menu 7 1 5 # ..., 按此列升序排序, 按此列降序排序
dump "$work/sorted.txt" "${query_options[@]}" --sort 物品流水号:desc
copy_and_check 7 "$(cell "$work/sorted.txt" 7)" "sorted descending, row 1 物品流水号"

step "a time range"
middle=$(sed -n "$((($(wc -l <"$work/sorted.txt") + 1) / 2))p" "$work/sorted.txt" | cut -f 14)
from=${middle:0:13} # its hour, as a prefix
to="${middle:0:10} 23:59"
click 165 105 # edtStartTime at (90, 94), 150 x 23
type_text "$from"
click 395 105 # edtEndTime at (320, 94), 150 x 23
type_text "$to"
key ctrl+l
dump "$work/ranged.txt" "${query_options[@]}" --sort 物品流水号:desc --from "$from" --to "$to"
copy_and_check 7 "$(cell "$work/ranged.txt" 7)" "from $from to $to, row 1 物品流水号"

step "screenshot"
import -window "$window" "$screenshot"
echo "$screenshot"

step "统计此列 on 帐号: the count window and its export"
grid_menu 1 1 7 # ..., 原始顺序, 统计此列
counts=""
for _ in $(seq 1 100); do
  counts=$(xdotool search --name "^统计: 帐号" 2>/dev/null | head -n 1 || true)
  [[ -n $counts ]] && break
  sleep 0.1
done
[[ -n $counts ]] || fail "统计此列 opened no count window"
echo "count window: $(xdotool getwindowname "$counts")"
x mousemove --window "$counts" 100 32 click 3 # row 1, below the header
sleep 1
x key Down Return # 导出统计...
save_as 导出统计 "Z:${work//\//\\}\\counts.csv" "$work/counts.csv"
"$logbench" --root "$root" --dates "$dates" --codepage GBK "${query_options[@]}" --from "$from" \
  --to "$to" --counts 帐号 --dump "$work/counts.txt" >/dev/null
{
  printf '\xEF\xBB\xBF帐号,次数\r\n'
  sed 's/\t/,/; s/$/\r/' "$work/counts.txt"
} >"$work/expected-counts.csv"
cmp -s "$work/expected-counts.csv" "$work/counts.csv" ||
  fail "the count export differs from logbench --counts: $(cmp "$work/expected-counts.csv" "$work/counts.csv")"
echo "count export: $(wc -l <"$work/counts.txt") values, as logbench --counts gives them"
# The save dialog's owner is the main window, active again now: a click makes the count window
# the active one for Alt+F4.
x mousemove --window "$counts" 100 32 click 1
sleep 0.5
x windowfocus --sync "$counts" || true
x key alt+F4
for _ in $(seq 1 50); do
  [[ -z $(xdotool search --onlyvisible --name "^统计: 帐号" 2>/dev/null || true) ]] && break
  sleep 0.1
done
[[ -z $(xdotool search --onlyvisible --name "^统计: 帐号" 2>/dev/null || true) ]] ||
  fail "Alt+F4 did not close the count window"
kill -0 "$app_pid" 2>/dev/null || fail "Alt+F4 on the count window ended the program"
# The time range cleared for what follows.
click 165 105
key ctrl+a BackSpace
click 395 105
key ctrl+a BackSpace

step "a large result: $big_records records"
click 260 68 # 关键词1 holds the value queried by: cleared
key ctrl+a BackSpace
click $((10 + 2 + 25 + 8)) $((top + 290 + 2 + action * 17 + 8)) # the action: unticked
click 145 31
sleep 0.3
key ctrl+a
type_text "Z:${big_root//\//\\}"
click 135 $((top + 247))
key ctrl+l
column=$(column_x 1)
# The whole result is shown once Ctrl+End in the grid reaches its last row.
click_and_end() {
  click "$column" "$grid_row1_y"
  key ctrl+End
}
input_and_copy "$big_records" "load, Ctrl+End, last row 序号" click_and_end
click "$column" "$(row_y 3)"
answer_after "click on row 3"
click "$column" "$(row_y 5)"
answer_after "click on row 5"
shift_click "$column" "$(row_y 9)"
answer_after "Shift+click on row 9"
key Down
answer_after "Down"
key Next
answer_after "Page Down"
key ctrl+Home
answer_after "Ctrl+Home"
key ctrl+End
answer_after "Ctrl+End"
input_and_copy "$big_records" "Ctrl+End, last row 序号" true
key shift+Up
answer_after "Shift+Up"

step "a live server: logs held open and appended to while the window loads and follows"
live_root=$work/KorloLive
"$loggen" --root "$live_root" --size 1 --days 1 --files-per-day 2 --encoding gbk --seed 3 >/dev/null
live_day=$(basename "$live_root"/LogServer/BaseDir/*/)
live_folder="Z:${live_root//\//\\}\\LogServer\\BaseDir\\$live_day"
# One logger keeps its log open and appends a line every 100 ms; another opens, appends and
# closes every time, and counts the opens this program makes fail.
writer() { # OUTPUT ARGUMENTS...
  local output=$1
  shift
  KORLO_WINE_DISPLAY=$display cmake/wine-run.sh "$state" "$wine" "$log_writer" "$@" >"$output" 2>&1
}
writer "$work/held.out" --file "$live_folder\\held.log" --lines 60 --interval 100 --account live &
held_pid=$!
writer "$work/reopened.out" --file "$live_folder\\reopened.log" --lines 120 --interval 50 \
  --account again --reopen &
reopened_pid=$!
sleep 2
click 145 31
sleep 0.3
key ctrl+a
type_text "Z:${live_root//\//\\}"
click 135 $((top + 247))
key ctrl+l
sleep 1
click 1073 67 # chkFollow at (1065, 59) in Panel2: its box ticked
wait "$held_pid" || fail "the held logger failed: $(cat "$work/held.out")"
wait "$reopened_pid" || fail "the reopening logger lost lines: $(cat "$work/reopened.out")"
echo "held logger: $(tr -d '\r' <"$work/held.out"); reopening logger: $(tr -d '\r' <"$work/reopened.out")"
grep -q "failed_opens=0" "$work/reopened.out" || fail "the logger's opens failed while the window read"
sleep 3 # a tick of following after the last line
click 260 68
key ctrl+a
type_text live60
key ctrl+l
copy_and_check 1 live60 "followed to the logger's last line, row 1 帐号"

step "close"
key alt+F4
for _ in $(seq 1 100); do
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$app_pid" 2>/dev/null; then fail "the program still runs after Alt+F4"; fi
status=0
wait "$app_pid" || status=$?
app_pid=""
((status == 0)) || fail "the program ended with status $status: $(cat "$work/app.log")"
echo "e2e-windows: OK"
