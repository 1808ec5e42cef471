# shellcheck shell=bash
# shellcheck disable=SC2034,SC2154 # variables shared with the scripts that source this file
# Sourced by the scripts that drive the real launcher on an X server of their own
# (tests/e2e/writes_nothing.sh, packaging/check-package.sh): waiting with a deadline, the
# private server, and finding the launcher's window and its painted words.

# wait_until <seconds> <command...>: polls until the command succeeds or the deadline passes.
wait_until() {
  local deadline=$(($(date +%s%N) + $1 * 1000000000)) && shift
  until "$@"; do
    [ "$(date +%s%N)" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

# start_xvfb <folder> <WxH>: an Xvfb on a display it picks itself, exported as DISPLAY; its
# process id in $xvfb.
start_xvfb() {
  Xvfb -displayfd 9 -screen 0 "$2x24" -nolisten tcp 9>"$1/display" 2>"$1/xvfb.log" &
  xvfb=$!
  wait_until 10 test -s "$1/display" || return 1
  DISPLAY=":$(head -n1 "$1/display")"
  export DISPLAY
}

# find_window: the launcher's visible 846 x 531 window; sets $wx $wy.
find_window() {
  local id WIDTH HEIGHT X Y
  for id in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    if [ "${WIDTH:-0}" = 846 ] && [ "${HEIGHT:-0}" = 531 ]; then
      wx=$X wy=$Y
      return 0
    fi
  done
  return 1
}

# word_drawn <left> <width>: the green of a word on the strip at the bottom (its labels sit at
# y 496 + 4 in the window, 19 high), so the window is painted and takes clicks. Needs $xprobe.
word_drawn() {
  local count
  count=$("$xprobe" ink $((wx + $1)) $((wy + 500)) "$2" 19 008000 8 | awk '{print $2}')
  [ "${count:-0}" -ge 50 ]
}
