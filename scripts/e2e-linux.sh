#!/usr/bin/env bash
# End-to-end run of the Linux window with real X input: starts a virtual X server (Xvfb) on a
# free display of its own, starts build/release/app/korlo-log-analyzer on a small generated GBK
# server root in a Chinese locale (code page 936), and drives it with xdotool as an operator
# would, checking every step against what logbench computes from the same root:
#   1. "全选" and Ctrl+L load both days; a click on row 1's account cell and Ctrl+C put the first
#      record's account on the clipboard and "已复制: <account>" in the caption;
#   2. the grid's context menu opens over the grid (screenshot) and Escape closes it;
#   3. the context menu on row 2's account, "按此值查询" chosen with the keyboard (Down x3, the
#      third item highlighted, Return): row 1 is now the first match of an exact account query
#      for row 2's former account;
#   4. Ctrl+S in the grid, a full path typed into the save dialog, Return: the file is byte for
#      byte logbench's --export of that query;
#   5. keyword 1 cleared, the check box of an action entry clicked, Ctrl+L: row 1 and the export
#      of the result are those of logbench --toggle for that entry;
#   6. an export to a workbook (.xlsx) reads back, through openpyxl, as logbench's dump;
#   7. "按此列降序排序" on 物品流水号 (Down x5): row 1 is that of logbench --sort;
#   8. 开始时间 and 结束时间 typed, Ctrl+L: row 1 is that of logbench --from --to;
#   9. "统计此列" on 帐号 (Down x7): the count window opens, and its export ("导出统计...") is
#      logbench --counts of the same query;
#  10. on a 1024x768 screen the window fits the screen.
# Exits non-zero, saying what differed, on the first mismatch. Everything it starts (the X
# servers and the program) is stopped by process id on exit.
#
# Usage: scripts/e2e-linux.sh [--build DIR] [--screenshot FILE] [--counts-screenshot FILE] [--keep]
#   --build DIR        the release build to drive (default build/release)
#   --screenshot FILE  also save the window with its context menu open there (PNG)
#   --counts-screenshot FILE  also save the count window there (PNG)
#   --keep             keep the work folder (generated root, logs, screenshots) after a pass;
#                      it is always kept after a failure
set -euo pipefail
cd "$(dirname "$0")/.."
repo="$PWD"

build=build/release
screenshot_out=""
counts_screenshot_out=""
keep=0
while (($# > 0)); do
  case "$1" in
    --build) build="${2:?--build needs a folder}"; shift 2 ;;
    --screenshot) screenshot_out="${2:?--screenshot needs a file}"; shift 2 ;;
    --counts-screenshot) counts_screenshot_out="${2:?--counts-screenshot needs a file}"; shift 2 ;;
    --keep) keep=1; shift ;;
    *) echo "usage: $0 [--build DIR] [--screenshot FILE] [--counts-screenshot FILE] [--keep]" >&2
       exit 2 ;;
  esac
done
[[ -z $screenshot_out || $screenshot_out == /* ]] || screenshot_out="$repo/$screenshot_out"
[[ -z $counts_screenshot_out || $counts_screenshot_out == /* ]] ||
  counts_screenshot_out="$repo/$counts_screenshot_out"

"$(dirname "$0")/install-deps.sh" xvfb xdotool xclip x11-utils imagemagick fonts-noto-cjk
# The workbook's independent reader is the system Python's openpyxl (python3-openpyxl).
xlsx_python=/usr/bin/python3

app="$repo/$build/app/korlo-log-analyzer"
loggen="$repo/$build/bench/loggen"
logbench="$repo/$build/bench/logbench"
for tool in "$app" "$loggen" "$logbench"; do
  [[ -x $tool ]] || { echo "e2e: $tool is not built" >&2; exit 1; }
done

# The tools read and print UTF-8 (window names, clipboard); the program gets its own locale.
export LC_ALL=C.UTF-8
unset LANGUAGE

readonly kCaption="KorloPC引擎日志分析工具"
readonly kCopied="已复制: "
readonly kActionEntry=5  # "系统制造物品", a member of the item group

start_seconds=$SECONDS
work="$(mktemp -d /tmp/korlo-e2e.XXXXXX)"
mkdir -m 700 "$work/run" "$work/config"
xvfb_pid=""
app_pid=""
failed=1

stop_process() {  # PID: ends a process this script started, SIGKILL after 3 s
  local pid="$1"
  [[ -n $pid ]] || return 0
  kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 30); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

cleanup() {
  stop_process "$app_pid"
  app_pid=""
  stop_process "$xvfb_pid"
  xvfb_pid=""
  if ((failed)); then
    echo "e2e: work folder kept for inspection: $work" >&2
    [[ -s $work/app.log ]] && { echo "--- program output:" >&2; cat "$work/app.log" >&2; }
  elif ((keep)); then
    echo "e2e: work folder kept: $work"
  else
    rm -rf "$work"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

say() { printf '[e2e %3ds] %s\n' $((SECONDS - start_seconds)) "$*"; }
fail() {
  printf 'e2e FAILED: %s\n' "$1" >&2
  shift
  for line in "$@"; do printf '  %s\n' "$line" >&2; done
  # What the screen showed, for the work folder kept.
  [[ -n ${xvfb_pid:-} ]] && import -window root "$work/failure.png" 2>/dev/null || true
  exit 1
}

# wait_until SECONDS COMMAND...: polls COMMAND every 50 ms until it succeeds; false on timeout.
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.05
  done
}

# ---- The X server and the program ---------------------------------------------------------------

start_xvfb() {  # WxH: a new Xvfb on the first free display from :95, as DISPLAY
  local size="$1" n
  for n in $(seq 95 199); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp -noreset >"$work/xvfb-$n.log" 2>&1 &
    xvfb_pid=$!
    if wait_until 10 socket_or_exit "$n" && kill -0 "$xvfb_pid" 2>/dev/null; then
      export DISPLAY=":$n"
      say "Xvfb $size on $DISPLAY (pid $xvfb_pid)"
      return 0
    fi
    stop_process "$xvfb_pid"  # lost a race for the display: try the next one
    xvfb_pid=""
  done
  fail "no free X display between :95 and :199"
}
socket_or_exit() { [[ -S /tmp/.X11-unix/X$1 ]] || ! kill -0 "$xvfb_pid" 2>/dev/null; }

visible_windows() { xdotool search --onlyvisible --class '^korlo-log-analyzer$' 2>/dev/null || true; }

find_main_window() {  # sets win when the program's window shows its start caption
  local id
  kill -0 "$app_pid" 2>/dev/null || fail "the program exited at start"
  for id in $(xdotool search --onlyvisible --name '^KorloPC' 2>/dev/null || true); do
    if [[ $(xdotool getwindowname "$id") == "$kCaption" ]]; then
      win="$id"
      return 0
    fi
  done
  return 1
}

start_app() {
  (cd "$work" && exec env LC_ALL=zh_CN.UTF-8 QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/run" \
    XDG_CONFIG_HOME="$work/config" "$app" "$root" >>"$work/app.log" 2>&1) &
  app_pid=$!
  win=""
  wait_until 20 find_main_window || fail "no window captioned \"$kCaption\" within 20 s"
  sleep 0.2  # the window is placed again once shown
  eval "$(xdotool getwindowgeometry --shell "$win")"
  win_x=$X win_y=$Y win_w=$WIDTH win_h=$HEIGHT
  say "window $win \"$kCaption\" at ${win_x},${win_y} ${win_w}x${win_h} (pid $app_pid)"
}

stop_app_and_xvfb() {
  stop_process "$app_pid"
  app_pid=""
  stop_process "$xvfb_pid"
  xvfb_pid=""
}

# The window's other toplevel (a menu or a dialog), at least MIN_WIDTH wide.
popup_window() {  # MIN_WIDTH
  local id
  for id in $(visible_windows); do
    [[ $id == "$win" ]] && continue
    eval "$(xdotool getwindowgeometry --shell "$id")"
    if ((WIDTH >= $1)); then
      popup="$id"
      return 0
    fi
  done
  return 1
}
no_popup() { ! popup_window 1; }

# The program's visible window whose caption begins with PREFIX, as named (xdotool's own --name
# search does not match Chinese captions).
window_named() {  # PREFIX
  local id
  for id in $(visible_windows); do
    if [[ $(xdotool getwindowname "$id") == "$1"* ]]; then
      named="$id"
      return 0
    fi
  done
  return 1
}

# ---- Input, in the window's client coordinates (there is no window manager: no frame) -----------

click() { xdotool mousemove --window "$win" "$1" "$2" click "${3:-1}"; }
key() { xdotool key --delay 20 "$@"; }

# The grid (form/layout.h: StringGrid1 at (285,137) in a 1200x700 client) has a 1-pixel frame, a
# header row about 22 pixels high and data rows 20 pixels high; the column widths are those of
# GRID_HEADERS in core/log_record.cpp.
readonly top=137  # the top panel's height: pnlLeft and the grid begin below it
readonly grid_widths=(50 80 120 70 50 50 40 100 70 150 80 80 80 120 100)
cell_x() {
  local x=$((285 + 1)) c
  for ((c = 0; c < $1; ++c)); do x=$((x + grid_widths[c])); done
  echo $((x + grid_widths[$1] / 2))
}
cell_y() { echo $((top + 1 + 22 + 20 * ($1 - 1) + 10)); }
readonly kAccount=1 kSerial=7 kTime=13  # grid columns: 帐号, 物品流水号, 记录时间

# expect_copy COLUMN ROW EXPECTED WHAT TIMEOUT: clicks the cell and presses Ctrl+C until the
# clipboard holds EXPECTED and the caption shows the copy notice for it (the notice lasts 500 ms).
expect_copy() {
  local column="$1" row="$2" expected="$3" what="$4" deadline=$((SECONDS + $5))
  local clip="" caption="" notice="(none seen)" x y
  x="$(cell_x "$column")" y="$(cell_y "$row")"
  while :; do
    click "$x" "$y"
    key ctrl+c
    for _ in 1 2 3 4 5 6; do
      sleep 0.05
      clip="$(xclip -o -selection clipboard 2>/dev/null || true)"
      caption="$(xdotool getwindowname "$win")"
      [[ $caption == "$kCopied"* ]] && notice="$caption"
      if [[ $clip == "$expected" && $caption == "$kCopied$expected" ]]; then
        say "copy of $what: \"$clip\", caption \"$caption\""
        return 0
      fi
    done
    ((SECONDS < deadline)) || break
  done
  fail "copy of $what (column $column, row $row at $x,$y)" \
    "expected clipboard: \"$expected\"" "got clipboard:      \"$clip\"" \
    "expected caption:   \"$kCopied$expected\"" "got caption:        \"$caption\"" \
    "last copy notice:   \"$notice\""
}

# export_to FILE: Ctrl+S with the grid focused, FILE typed into the save dialog, Return.
export_to() {
  local file="$1"
  click "$(cell_x "$kAccount")" "$(cell_y 1)"  # focus the grid
  key ctrl+s
  popup=""
  wait_until 10 popup_window 300 || fail "Ctrl+S opened no save dialog within 10 s"
  key ctrl+a
  xdotool type --delay 10 "$file"
  key Return
  wait_until 10 no_popup || fail "the save dialog is still open after Return (typed: $file)"
}

# grid_menu COLUMN ROW DOWNS: the grid's context menu on a cell, DOWNS presses of Down, Return
# (the caller checks what the item did: a window it opens is a toplevel as the menu was).
grid_menu() {
  click "$(cell_x "$1")" "$(cell_y "$2")" 3
  popup=""
  wait_until 5 popup_window 50 || fail "a right click on the grid opened no context menu"
  for ((i = 0; i < $3; ++i)); do key Down; done
  key Return
}

# same_file EXPECTED GOT: waits for GOT to be byte for byte EXPECTED; fails saying how they differ.
same_file() {
  if wait_until 10 cmp -s "$1" "$2"; then
    say "export $(basename "$2") equals logbench's ($(wc -c <"$2") bytes)"
    return 0
  fi
  [[ -e $2 ]] || fail "the export wrote no file $2"
  fail "the export differs from logbench's" "$(cmp "$1" "$2" 2>&1 || true)" \
    "sizes: expected $(wc -c <"$1"), got $(wc -c <"$2")" \
    "$(diff <(head -c 100000 "$1") <(head -c 100000 "$2") | head -6)"
}

# Pixel colour of a window's capture.
pixel() { identify -format "%[pixel:p{$2,$3}]" "$1"; }

# ---- Expected data --------------------------------------------------------------------------------

root="$work/root"
"$loggen" --root "$root" --size 2 --days 2 --encoding gbk --seed 1 >"$work/loggen.log"
dates="$(cd "$root/LogServer/BaseDir" && printf '%s\n' 20??-??-?? | paste -sd,)"
bench() {  # NAME OPTIONS...: logbench's dump NAME.txt and export NAME.csv
  local name="$1"
  shift
  "$logbench" --root "$root" --dates "$dates" --codepage GBK --queries 0 "$@" \
    --dump "$work/$name.txt" --export "$work/$name.csv" >"$work/$name.log" ||
    fail "logbench $* failed: $(cat "$work/$name.log")"
}
field() { sed -n "${2}p" "$1" | cut -f"$(($3 + 1))"; }  # DUMP LINE COLUMN

bench all
all_count=$(wc -l <"$work/all.txt")
account1="$(field "$work/all.txt" 1 "$kAccount")"
account2="$(field "$work/all.txt" 2 "$kAccount")"
[[ -n $account1 && -n $account2 && $account1 != "$account2" ]] ||
  fail "the generated root does not suit the run: accounts of rows 1 and 2: '$account1' '$account2'"
say "generated $all_count records on $dates"

# ---- The run on a full HD screen ------------------------------------------------------------------

start_xvfb 1920x1080
start_app

say "step 1: 全选, Ctrl+L, copy row 1's account"
click $((100 + 35)) $((top + 235 + 12))  # btnSelectAll, pnlLeft (100,235) 70x25
key ctrl+l
expect_copy "$kAccount" 1 "$account1" "row 1's account after the load" 30

say "step 2: the context menu over the grid, Escape"
click "$(cell_x "$kAccount")" "$(cell_y 2)" 3
popup=""
wait_until 5 popup_window 50 || fail "a right click on the grid opened no context menu"
import -window root -crop "${win_w}x${win_h}+${win_x}+${win_y}" +repage -strip \
  "$work/context-menu.png"
if [[ -n $screenshot_out ]]; then
  cp "$work/context-menu.png" "$screenshot_out"
  say "screenshot: $screenshot_out"
fi
key Escape
wait_until 5 no_popup || fail "Escape did not close the context menu"

say "step 3: 按此值查询 on row 2's account"
click "$(cell_x "$kAccount")" "$(cell_y 2)" 3
popup=""
wait_until 5 popup_window 50 || fail "a right click on the grid opened no context menu"
menu="$popup"
key Down Down Down
sleep 0.2
import -window "$menu" "$work/menu.png"
menu_h=$(identify -format '%h' "$work/menu.png")
# Seven items: the centre of item k is about (2k - 1)/14 of the height down.
item1="$(pixel "$work/menu.png" 5 $((menu_h / 14)))"
item2="$(pixel "$work/menu.png" 5 $((menu_h * 3 / 14)))"
item3="$(pixel "$work/menu.png" 5 $((menu_h * 5 / 14)))"
[[ $item1 == "$item2" && $item3 != "$item1" ]] ||
  fail "Down x3 did not highlight the menu's third item (按此值查询)" \
    "item colours: 1 $item1, 2 $item2, 3 $item3 (see $work/menu.png)"
key Return
wait_until 5 no_popup || fail "Return did not close the context menu"
bench query --kw1 "$account2" --col1 帐号 --exact1 1
[[ $(field "$work/query.txt" 1 "$kAccount") == "$account2" ]] ||
  fail "logbench's exact query for $account2 does not start with it: $(head -1 "$work/query.txt")"
expect_copy "$kAccount" 1 "$account2" "row 1's account after the query by value" 10
expect_copy "$kSerial" 1 "$(field "$work/query.txt" 1 "$kSerial")" "row 1's item serial" 5

say "step 4: Ctrl+S, the save dialog, the export of the query ($(wc -l <"$work/query.txt") rows)"
export_to "$work/export-query.csv"
same_file "$work/query.csv" "$work/export-query.csv"

say "step 5: keyword 1 cleared, action entry $kActionEntry ticked, Ctrl+L"
click $((200 + 60)) $((57 + 11))  # edtKeyword1, Panel2 (200,57) 120x23
key ctrl+a BackSpace
# lstActions at pnlLeft (10,290) with a 1-pixel frame, entries 17 pixels high; a member's box
# starts 25 pixels into its entry.
click $((10 + 1 + 25 + 9)) $((top + 290 + 1 + 17 * kActionEntry + 8))
key ctrl+l
bench toggle --toggle "$kActionEntry" --col1 帐号 --exact1 1
toggle_count=$(wc -l <"$work/toggle.txt")
((toggle_count > 0 && toggle_count < all_count)) ||
  fail "logbench --toggle $kActionEntry gives $toggle_count of $all_count records: no filter to see"
expect_copy "$kAccount" 1 "$(field "$work/toggle.txt" 1 "$kAccount")" \
  "row 1's account with action $kActionEntry ticked" 10
expect_copy "$kSerial" 1 "$(field "$work/toggle.txt" 1 "$kSerial")" "row 1's item serial" 5
export_to "$work/export-toggle.csv"
same_file "$work/toggle.csv" "$work/export-toggle.csv"

say "step 6: the export to a workbook"
export_to "$work/export-toggle.xlsx"
wait_until 10 test -s "$work/export-toggle.xlsx" || fail "the export wrote no workbook"
"$xlsx_python" "$repo/tests/reference/check_xlsx.py" --compare "$work/export-toggle.xlsx" \
  "$work/toggle.txt" >"$work/xlsx.log" 2>&1 || fail "the workbook differs: $(cat "$work/xlsx.log")"
say "workbook: $(cat "$work/xlsx.log")"

say "step 7: 按此列降序排序 on 物品流水号"
grid_menu "$kSerial" 1 5
wait_until 5 no_popup || fail "Return did not close the context menu"
bench sorted --toggle "$kActionEntry" --col1 帐号 --exact1 1 --sort 物品流水号:desc
expect_copy "$kSerial" 1 "$(field "$work/sorted.txt" 1 "$kSerial")" "row 1's serial, sorted" 10
expect_copy "$kAccount" 1 "$(field "$work/sorted.txt" 1 "$kAccount")" "row 1's account" 5

say "step 8: a time range"
middle="$(field "$work/toggle.txt" $(((toggle_count + 1) / 2)) "$kTime")"
from="${middle:0:13}"  # its hour, as a prefix
to="${middle:0:10} 23:59"
click $((90 + 75)) $((94 + 11))  # edtStartTime, Panel2 (90,94) 150x23
xdotool type --delay 10 "$from"
click $((320 + 75)) $((94 + 11))  # edtEndTime, Panel2 (320,94) 150x23
xdotool type --delay 10 "$to"
key ctrl+l
bench ranged --toggle "$kActionEntry" --col1 帐号 --exact1 1 --sort 物品流水号:desc \
  --from "$from" --to "$to"
ranged_count=$(wc -l <"$work/ranged.txt")
((ranged_count > 0 && ranged_count < toggle_count)) ||
  fail "logbench --from '$from' --to '$to' gives $ranged_count of $toggle_count records"
expect_copy "$kSerial" 1 "$(field "$work/ranged.txt" 1 "$kSerial")" \
  "row 1's serial from $from to $to ($ranged_count rows)" 10

say "step 9: 统计此列 on 帐号, the count window's export"
grid_menu "$kAccount" 1 7
count_win=""
wait_until 10 window_named '统计: 帐号' || fail "统计此列 opened no count window"
count_win="$named"
say "count window: \"$(xdotool getwindowname "$count_win")\""
import -window "$count_win" "$work/count-window.png"
[[ -n $counts_screenshot_out ]] && cp "$work/count-window.png" "$counts_screenshot_out"
xdotool mousemove --window "$count_win" 100 33 click 3
sleep 0.3
key Down Return
wait_until 10 window_named 导出统计 || fail "导出统计... opened no save dialog"
key ctrl+a
xdotool type --delay 10 "$work/export-counts.csv"
key Return
"$logbench" --root "$root" --dates "$dates" --codepage GBK --queries 0 --toggle "$kActionEntry" \
  --col1 帐号 --exact1 1 --from "$from" --to "$to" --counts 帐号 --dump "$work/counts.txt" \
  >"$work/counts.log" || fail "logbench --counts failed: $(cat "$work/counts.log")"
{ printf '\xEF\xBB\xBF帐号,次数\r\n'; sed 's/\t/,/; s/$/\r/' "$work/counts.txt"; } >"$work/counts.csv"
same_file "$work/counts.csv" "$work/export-counts.csv"

stop_app_and_xvfb

# ---- A small screen -------------------------------------------------------------------------------

say "step 10: the window on a 1024x768 screen"
start_xvfb 1024x768
start_app
((win_x >= 0 && win_y >= 0 && win_x + win_w <= 1024 && win_y + win_h <= 768)) ||
  fail "the window does not fit a 1024x768 screen: ${win_w}x${win_h} at ${win_x},${win_y}"
import -window root "$work/small-screen.png"
stop_app_and_xvfb

failed=0
say "passed in $((SECONDS - start_seconds)) s"
