# Sourced by the scripts that drive a window with xdotool: real input, as from a mouse and a
# keyboard, to the window whose X id is in $window. Positions are the window's client
# coordinates. Keys go through XTEST to the X input focus, which is set to the window first:
# without a window manager nothing keeps it there (it falls back to the window under the
# pointer), and events sent to a window directly lose their Shift state under wine.
x() { xdotool "$@" 2>/dev/null; }
# click X Y [BUTTON]: moves there and presses the button (default the left one).
click() { x mousemove --window "$window" "$1" "$2" click "${3:-1}"; }
# key KEY...: the keys, one after the other, to the window.
key() {
  x windowfocus --sync "$window" || true
  x key "$@"
}
# type_text TEXT: typed into the window's focused control.
type_text() {
  x windowfocus --sync "$window" || true
  x type --delay 15 "$1"
}
# column_x COLUMN: the x of the middle of that grid column, from the grid's left edge at 287 (the
# splitter's right side at 285 and the sunken edge) and the column catalogue's widths.
column_x() {
  local widths=(50 80 120 70 50 50 40 100 70 150 80 80 80 120 100) left=287 i
  for ((i = 0; i < $1; i++)); do left=$((left + widths[i])); done
  echo $((left + widths[$1] / 2))
}
