#!/usr/bin/env bash
# The Windows program's own times under wine, beside the engine's from the same run:
#
#   bench/wine-window.sh ROOT [ROUNDS]
#
# ROOT is a server root (a POSIX path; wine shows it as Z:\...) of GBK logs. Builds the program
# and logbench.exe in build/mingw when needed. In each of ROUNDS rounds (default 3), in turn:
# logbench.exe loads every day of ROOT and queries (the engine alone, code page 936 as the
# program reads it); then, in the program started once with its timings log (KORLO_TIMINGS),
# 刷新列表, 全选 and Ctrl+L (the load and its grid), and Ctrl+L again (the query alone and its
# grid). Prints the medians:
#   window_ms                          start to the window being shown (first round)
#   engine_load_ms, window_load_ms, window_load_ratio, window_load_yields, window_load_pumps,
#   window_load_progress_moves, engine_query_ms, window_query_ms, window_query_ratio, rows
# The window's figures are its own timings-log lines (the command's wall time inside the
# program); the engine's are logbench.exe's. A tool, not a test.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(cd "$1" && pwd)
rounds=${2:-3}
build=build/mingw
state=$build/wine-measure
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

# The workbook export's library, built for Windows once.
scripts/build-xlsxwriter-mingw.sh
if [[ ! -f $build/build.ninja ]] || ! grep -q '^KORLO_BUILD_BENCH:BOOL=ON' "$build/CMakeCache.txt"; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DKORLO_BUILD_APP=ON -DKORLO_BUILD_BENCH=ON -DKORLO_WERROR=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target korlo-log-analyzer logbench >/dev/null

work=$(mktemp -d /tmp/korlo-wine-window.XXXXXX)
display=""
for number in $(seq 140 180); do
  if [[ ! -e /tmp/.X$number-lock && ! -e /tmp/.X11-unix/X$number ]]; then
    display=:$number
    break
  fi
done
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=""
cleanup() {
  [[ -n $app ]] && kill "$app" 2>/dev/null
  WINEPREFIX=$PWD/$state/prefix "$wineserver" -k 2>/dev/null
  kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
sleep 1
export DISPLAY=$display
windows() { echo "Z:${1//\//\\}"; }
dates=$(ls "$root/LogServer/BaseDir" | paste -sd, -)
value() { grep "^$1=" <<<"$2" | cut -d= -f2 | tr -d '\r'; }
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)]; else print 0 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
# The figure KEY of the timings-log lines named NAME, one a line.
figures() { awk -F '\t' -v name="$1" -v key="$2" '$1 == name {
  for (i = 2; i <= NF; i++) { split($i, kv, "="); if (kv[1] == key) print kv[2] } }' "$work/timings.log"; }
lines_named() { awk -F '\t' -v name="$1" '$1 == name' "$work/timings.log" 2>/dev/null | wc -l; }
wait_for_line() { # NAME COUNT
  for _ in $(seq 1 6000); do
    (($(lines_named "$1") >= $2)) && return 0
    sleep 0.05
  done
  echo "no $1 line in the timings log" >&2
  exit 1
}

started=$(date +%s%N)
KORLO_TIMINGS="$(windows "$work/timings.log")" KORLO_WINE_DISPLAY=$display \
  cmake/wine-run.sh "$state" "$wine" "$build/app/korlo-log-analyzer.exe" "$(windows "$root")" \
  >/dev/null 2>&1 &
app=$!
window=""
for _ in $(seq 1 1200); do
  window=$(xdotool search --name '^KorloPC' 2>/dev/null | head -n 1 || true)
  [[ -n $window ]] && break
  sleep 0.05
done
[[ -n $window ]] || { echo "no window" >&2; exit 1; }
echo "window_ms=$((($(date +%s%N) - started) / 1000000))"
sleep 2

engine_load=() engine_query=()
for round in $(seq 1 "$rounds"); do
  out=$(KORLO_WINE_DISPLAY=$display cmake/wine-run.sh "$state" "$wine" "$build/bench/logbench.exe" \
    --root "$(windows "$root")" --dates "$dates" --codepage GBK --queries 3 2>/dev/null)
  engine_load+=("$(value load_ms "$out")")
  engine_query+=("$(value query_ms "$out")")

  # Client coordinates at 96 dpi: pnlLeft starts 137 below the top; 刷新列表 at (10, 235) and
  # 全选 at (100, 235) in it, 80 x 25 and 70 x 25.
  xdotool mousemove --window "$window" 50 384 click 1
  sleep 0.3
  xdotool mousemove --window "$window" 135 384 click 1
  sleep 0.3
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key ctrl+l
  wait_for_line LoadLogData "$round"
  sleep 0.5
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key ctrl+l
  wait_for_line ApplyFilter "$round"
  sleep 0.5
done

engine_load_ms=$(printf '%s\n' "${engine_load[@]}" | median)
engine_query_ms=$(printf '%s\n' "${engine_query[@]}" | median)
window_load_ms=$(figures LoadLogData wall_ms | median)
window_query_ms=$(figures ApplyFilter wall_ms | median)
echo "engine_load_ms=$engine_load_ms"
echo "window_load_ms=$window_load_ms"
echo "window_load_ratio=$(ratio "$window_load_ms" "$engine_load_ms")"
echo "window_load_yields=$(figures LoadLogData yields | median)"
echo "window_load_pumps=$(figures LoadLogData pumps | median)"
echo "window_load_progress_moves=$(figures LoadLogData progress_moves | median)"
echo "engine_query_ms=$engine_query_ms"
echo "window_query_ms=$window_query_ms"
echo "window_query_ratio=$(ratio "$window_query_ms" "$engine_query_ms")"
echo "rows=$(figures ApplyFilter rows | median)"
