#!/usr/bin/env bash
# The Windows program's own times under wine, watched from outside on a virtual display:
#
#   bench/wine-window.sh ROOT
#
# starts build/mingw/app/korlo-log-analyzer.exe on the server root ROOT (a POSIX path; wine
# shows it as Z:\...), selects every day, presses Ctrl+L and prints
#   window_ms            start to the window being shown,
#   load_ms              Ctrl+L to the end of the load (the progress bar gone), the grid's
#                        rendering of the result included,
#   query_and_render_ms  a second Ctrl+L (the query alone and the grid) to the status line's
#                        final text.
# The screen is sampled every 0.2 s: the figures are good to about a quarter of a second. A tool,
# not a test.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(cd "$1" && pwd)
state=build/mingw/wine-measure
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
display=""
for number in $(seq 140 180); do
  if [[ ! -e /tmp/.X$number-lock && ! -e /tmp/.X11-unix/X$number ]]; then
    display=:$number
    break
  fi
done
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'WINEPREFIX=$PWD/$state/prefix "$wineserver" -k 2>/dev/null; kill $xvfb 2>/dev/null' EXIT
sleep 1
export DISPLAY=$display

started=$(date +%s%N)
KORLO_WINE_DISPLAY=$display cmake/wine-run.sh "$state" "$wine" \
  build/mingw/app/korlo-log-analyzer.exe "Z:${root//\//\\}" >/dev/null 2>&1 &
window=""
for _ in $(seq 1 1200); do
  window=$(xdotool search --name '^KorloPC' 2>/dev/null | head -n 1)
  [[ -n $window ]] && break
  sleep 0.05
done
[[ -n $window ]] || { echo "no window" >&2; exit 1; }
echo "window_ms=$((($(date +%s%N) - started) / 1000000))"
sleep 2

# A digest of a region of the window (client coordinates at 96 dpi).
region() { import -window "$window" -crop "$1" +repage -depth 8 rgb:- 2>/dev/null | md5sum; }
# Waits until REGION differs from its look now and then comes back to LOOK; the time taken.
until_back() { # REGION LOOK START
  local seen=0 now
  for _ in $(seq 1 3000); do
    now=$(region "$1")
    if [[ $now != "$2" ]]; then seen=1; elif ((seen)); then break; fi
    sleep 0.2
  done
  echo $((($(date +%s%N) - $3) / 1000000))
}

bar=600x10+500+686 # the status bar right of its panels; the progress bar covers it while shown
status=600x18+550+22
bar_hidden=$(region "$bar")
xdotool mousemove --window "$window" 135 347 click 1 # 全选
sleep 0.3
xdotool windowfocus --sync "$window" 2>/dev/null
start=$(date +%s%N)
xdotool key ctrl+l
echo "load_ms=$(until_back "$bar" "$bar_hidden" "$start")"
status_after=$(region "$status")
xdotool windowfocus --sync "$window" 2>/dev/null
start=$(date +%s%N)
xdotool key ctrl+l
echo "query_and_render_ms=$(until_back "$status" "$status_after" "$start")"
