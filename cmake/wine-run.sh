#!/bin/sh
# Runs a Windows program under wine as on a Windows with the Chinese (PRC) system locale, whose
# ANSI code page is 936 (GBK), headless and without installer prompts.
#
#   wine-run.sh STATE_DIR WINE PROGRAM [ARGUMENT...]
#
# STATE_DIR holds what the runs share, made on first use: the wine prefix and the zh_CN.UTF-8
# locale wine derives the code page from (compiled there, so the build machine needs no locale
# generated system-wide). Concurrent first runs wait for each other; delete STATE_DIR to make it
# afresh after changing this script. Exits with the program's status.
#
# Headless unless KORLO_WINE_DISPLAY names an X display: then wine, its first boot included,
# runs on that display, for windows that a test drives. Give such runs a STATE_DIR of their own:
# a wine server that was started headless keeps every later window of its prefix off screen.
set -eu
state=$1
wine=$2
shift 2

mkdir -p "$state"
state=$(cd "$state" && pwd)
export LOCPATH="$state/locales"
export LC_ALL=zh_CN.UTF-8
# What the system locale makes the ANSI code page; a test checks that it took effect.
export KORLO_EXPECTED_ANSI_CODE_PAGE=936
export WINEPREFIX="$state/prefix"
# The profile, and so the temporary folder the tests' trees live in, takes its name from the
# user: one with a space and letters outside code page 936, as a Windows account may have, makes
# the path of every test tree one the ANSI code page cannot hold.
export USER="用户 한글"
export WINEDEBUG=-all
# No .NET or HTML engine installer, and no desktop menu entries on the build machine.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
if [ -n "${KORLO_WINE_DISPLAY:-}" ]; then
  export DISPLAY="$KORLO_WINE_DISPLAY"
fi

(
  flock 9
  if [ ! -d "$LOCPATH/zh_CN.UTF-8" ]; then
    mkdir -p "$LOCPATH"
    localedef -i zh_CN -f UTF-8 "$LOCPATH/zh_CN.UTF-8.partial"
    mv "$LOCPATH/zh_CN.UTF-8.partial" "$LOCPATH/zh_CN.UTF-8"
  fi
  if [ ! -f "$WINEPREFIX/.korlo-ready" ]; then
    # Without the lock's descriptor: the wine server these start outlives them, and would hold
    # the lock, and every later run of the prefix would wait for it, for as long as it runs.
    "$wine" wineboot --init >"$state/wineboot.log" 2>&1 9>&-
    # Wine marks a file hidden when its name begins with '.'; Windows never does.
    "$wine" reg add 'HKCU\Software\Wine' /v ShowDotFiles /d Y /f >>"$state/wineboot.log" 2>&1 9>&-
    touch "$WINEPREFIX/.korlo-ready"
  fi
) 9>"$state/lock"

exec "$wine" "$@"
