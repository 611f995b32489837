#!/bin/sh
# Runs a Windows test program under wine on a virtual X display of its own: wine creates no
# window without a display driver, and the toolkit's tests need real windows.
#
#   on-xvfb.sh STATE_DIR WINE_RUN WINE PROGRAM [ARGUMENT...]
#
# WINE_RUN is cmake/wine-run.sh (the emulator of the cross build), run with STATE_DIR, WINE and
# the program; STATE_DIR must be one of these runs alone (a wine prefix whose server started
# headless keeps every later window off screen). Xvfb picks a free display itself, so concurrent
# runs do not collide. The prefix's wine server is ended before the display goes, so the next
# run does not meet a server tied to a display that no longer exists. Exits with the program's
# status.
set -eu
state=$1
wine_run=$2
wine=$3
shift 3

if ! command -v Xvfb >/dev/null 2>&1; then
  echo "on-xvfb.sh: Xvfb is not installed (package xvfb)" >&2
  exit 1
fi
mkdir -p "$state"
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" 2>"$state/xvfb.log" &
xvfb=$!
cleanup() {
  WINEPREFIX="$(cd "$state" && pwd)/prefix" "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  rm -f "$displayfile"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

number=""
for _ in $(seq 1 100); do
  number=$(cat "$displayfile")
  [ -n "$number" ] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$number" ]; then
  echo "on-xvfb.sh: Xvfb did not start: $(cat "$state/xvfb.log")" >&2
  exit 1
fi

status=0
KORLO_WINE_DISPLAY=":$number" "$wine_run" "$state" "$wine" "$@" || status=$?
exit "$status"
