# Sourced by the scripts that drive windows: a virtual X server of their own.
#
# start_virtual_display WORK GEOMETRY: starts Xvfb on a display it picks itself (no collision
# with other runs), WIDTHxHEIGHTxDEPTH, with its output in WORK/xvfb.log; sets xvfb_pid (the
# caller stops it) and exports DISPLAY. Calls the caller's fail when the server does not start.
start_virtual_display() {
  local work=$1 geometry=$2
  Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 1 100); do
    [[ -s $work/display ]] && break
    sleep 0.1
  done
  [[ -s $work/display ]] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=":$(cat "$work/display")"
}
