#!/usr/bin/env bash
# End-to-end checks of the launcher (or, with --subject bare, of the harness itself on the
# bare popup window): the real executable under Wine on the test command's 1920 x 1080 X
# server (or one of our own) and on a 1024 x 768 one we start, with a Wine prefix of our
# own, driven with xdotool and read back from the X server with xprobe. Every wait has a
# deadline; nothing sleeps for a fixed time.
#   e2e.sh --subject launcher|bare --exe EXE --game STANDIN.exe --probe win_probe.exe
#          --xprobe XPROBE --art resources/cursors --artwork artwork.jpg --work DIR
# --native: the same checks on the native program (EXE is a Linux executable started
# directly; --subject bare is then bench/bare_xlib, which draws the launcher's picture).
# The game is a shell script written here; no --game or --probe. Where the Wine run asks
# Win32 from inside the session (win_probe), the native run asks the X server instead:
#   - the application window's state: the form's X window is viewable and no other window
#     of ours is shown (natively the application window has no X window of its own);
#   - WM_CLOSE to the application window: a window manager's close (WM_DELETE_WINDOW, which
#     our display driver turns into SC_CLOSE) on the form's window, `xprobe close`;
#   - "launcher minimised" in the game's line: there is no window manager to iconify, so
#     `xprobe watch` records the iconify request (WM_CHANGE_STATE) the launcher sends, and
#     the stand-in sends a mark through the same server: minimised = the request came first.
#     The native WinExec does not wait for the child, so the launcher may be gone already.
# --native --wine-game STANDIN.exe: only the click on ENGLISH, with the Windows stand-in as
# eng/brasslantern.exe: the native launcher starts it through wine (its line then says
# launcher=absent app=absent: the native windows are not Wine's).
set -u

native=""
wine_game=""
while [ $# -gt 0 ]; do
  case "$1" in
    --native)
      native=1
      shift
      continue
      ;;
    --wine-game) wine_game=$2 ;;
    --subject) subject=$2 ;;
    --exe) exe=$2 ;;
    --game) game=$2 ;;
    --probe) probe=$2 ;;
    --xprobe) xprobe=$2 ;;
    --art) art=$2 ;;
    --artwork) artwork=$2 ;;
    --work) work=$2 ;;
    *)
      echo "unknown argument $1" >&2
      exit 2
      ;;
  esac
  shift 2
done

if [ -n "$wine_game" ] && [ ! -x "$exe" ]; then
  echo "skipped: no native launcher at $exe"
  exit 77
fi
. "$(dirname "$0")/../../scripts/wine-prefix.sh"
# The stand-in game runs xprobe from its own folder.
xprobe=$(realpath "$xprobe")
failures=0
ok() { echo "ok - $1"; }
not_ok() {
  echo "not ok - $1"
  failures=$((failures + 1))
}
check() { # check <name> <command...>
  local name=$1
  shift
  # Fails too, so a check that later ones need can stop them.
  if "$@"; then ok "$name"; else
    not_ok "$name"
    return 1
  fi
}

# wait_until <seconds> <command...>: polls until the command succeeds or the deadline passes.
wait_until() {
  local deadline=$(($(date +%s%N) + ${1%.*} * 1000000000)) && shift
  until "$@"; do
    [ "$(date +%s%N)" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

# Seconds for a started program's window to appear: Wine's start is slow, ours is not.
show_deadline=60
[ -z "$native" ] || [ -n "$wine_game" ] || show_deadline=20

servers=()
started=()
watcher=""
uses_wine=""
[ -z "$native" ] || [ -n "$wine_game" ] && uses_wine=1
cleanup() {
  local pid
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null; done
  [ -z "$watcher" ] || kill "$watcher" 2>/dev/null
  [ -z "$uses_wine" ] || WINEPREFIX=$prefix wineserver -k 2>/dev/null
  for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null; done
}
trap cleanup EXIT

# start_xvfb WxH: an X server on a free display; sets $display.
start_xvfb() {
  local fdfile="$work/xvfb-$1.display"
  : >"$fdfile"
  Xvfb -displayfd 9 -screen 0 "${1}x24" -nolisten tcp 9>"$fdfile" 2>"$work/xvfb-$1.log" &
  servers+=($!)
  wait_until 10 test -s "$fdfile" || return 1
  display=":$(head -n1 "$fdfile")"
}

# A Wine prefix of our own, so switching X servers never touches another test's session.
prefix="${WINEPREFIX:-$work/prefix}-e2e"
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
use_display() { # use_display DISPLAY: the Wine session follows one X server at a time
  WINEPREFIX=$prefix wineserver -k 2>/dev/null
  WINEPREFIX=$prefix wineserver -w 2>/dev/null
  export DISPLAY=$1 WINEPREFIX=$prefix
  prepare_wine_prefix unmanaged
  # Wine's own services start with the first program: start them here, detached from any
  # pipe of ours.
  wineserver -p
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

winpath() { echo "Z:${1//\//\\}"; }

# Native: the display is all there is to switch; a watcher of the requests sent to its
# root window runs beside each (see the top).
requests="$work/requests.log"
use_native_display() {
  [ -z "$watcher" ] || kill "$watcher" 2>/dev/null
  export DISPLAY=$1
  : >"$requests"
  # Appending, so truncating the file between runs leaves no gap before its next line.
  "$xprobe" watch >>"$requests" 2>/dev/null &
  watcher=$!
  wait_until 10 grep -qx ready "$requests"
}

log="$work/standin.log"
# The stand-in game for the native program: a script recording the same line as the Windows
# one (see the top; the application window has no X window, so no "app=").
write_native_game() { # write_native_game <path>
  {
    echo '#!/bin/sh'
    echo "xprobe='$xprobe' requests='$requests' log='$log'"
    cat <<'EOF'
self=$(cd "$(dirname "$0")" && pwd -P)/$(basename "$0")
edition=$(basename "$(dirname "$self")")
"$xprobe" mark $$ >/dev/null 2>&1
deadline=$(($(date +%s) + 10))
until grep -qx "mark $$" "$requests"; do
  [ "$(date +%s)" -lt "$deadline" ] || break
  sleep 0.05
done
if ! grep -qx "mark $$" "$requests"; then
  state=unordered
elif sed "/^mark $$\$/q" "$requests" | grep -q '^iconify '; then
  state=minimised
elif xdotool search --onlyvisible --classname '^launcher$' >/dev/null 2>&1; then
  state=shown
else
  state=absent
fi
echo "ran edition=$edition cwd=$(pwd -P) launcher=$state args=$# exe=$self" >>"$log"
EOF
  } >"$1"
  chmod +x "$1"
}

mkdir -p "$work"
rm -rf "$work/run" "$work/elsewhere" "$work/nogame" "$work/bin" "$work/subject.out"
mkdir -p "$work/run/eng" "$work/run/rus" "$work/elsewhere/eng" "$work/nogame"
for game_path in "$work/run/eng" "$work/run/rus" "$work/elsewhere/eng"; do
  if [ -n "$wine_game" ]; then
    cp "$wine_game" "$game_path/brasslantern.exe"
  elif [ -n "$native" ]; then
    write_native_game "$game_path/brasslantern.exe"
  else
    cp "$game" "$game_path/brasslantern.exe"
  fi
done
# The program lives in a folder without games (Win32 looks beside the executable before the
# current directory), so every start below is found through the current directory.
mkdir -p "$work/bin"
cp "$exe" "$work/bin/"
exe="$work/bin/$(basename "$exe")"

# start_subject DIR: starts the program with DIR as its current directory; sets $pid.
start_subject() {
  : >"$log"
  : >"$requests"
  win=""
  if [ -n "$wine_game" ]; then
    (cd "$1" && LAUNCHER_STANDIN_LOG=$(winpath "$log") exec "$exe" </dev/null >>"$work/subject.out" 2>&1) &
  elif [ -n "$native" ]; then
    (cd "$1" && exec "$exe" </dev/null >>"$work/subject.out" 2>&1) &
  else
    (cd "$1" && LAUNCHER_STANDIN_LOG=$(winpath "$log") exec wine "$exe" </dev/null >/dev/null 2>&1) &
  fi
  pid=$!
  started+=("$pid")
}

# find_window: the visible 846 x 531 top-level X window; sets $win, $wx, $wy, $ww, $wh.
find_window() {
  local id WIDTH HEIGHT X Y
  for id in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    if [ "${WIDTH:-0}" = 846 ] && [ "${HEIGHT:-0}" = 531 ]; then
      win=$id wx=$X wy=$Y ww=$WIDTH wh=$HEIGHT
      return 0
    fi
  done
  return 1
}

exited() { ! kill -0 "$pid" 2>/dev/null; }
# wait_exit <seconds>: waits for the program to end; sets $status.
wait_exit() {
  wait_until "$1" exited || return 1
  wait "$pid"
  status=$?
}
close_subject() { # ends whatever is still running, politely first
  exited && return 0
  if [ -n "$native" ]; then
    # bare_xlib has no close handling: it ends on SIGTERM.
    if [ "$subject" = launcher ] && [ -n "$win" ]; then "$xprobe" close "$win"; else kill "$pid"; fi
  else
    wine "$probe" close "$close_class" >/dev/null 2>&1
  fi
  wait_exit 10 || kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}
if [ "$subject" = launcher ]; then close_class=TForm1; else close_class=BareWindow; fi

finish() { # the summary, and what the program said when something failed
  echo "$failures check(s) failed"
  if [ "$failures" -gt 0 ] && [ -s "$work/subject.out" ]; then
    echo "--- the program's output:"
    tail -n 40 "$work/subject.out"
  fi
  [ "$failures" -eq 0 ]
}

# --- Shape and place --------------------------------------------------------------------

check_shape() { # check_shape <screen WxH>
  local sw=${1%x*} sh=${1#*x}
  check "$1: window shown" wait_until "$show_deadline" find_window || return 1
  check "$1: 846 x 531" test "$ww x $wh" = "846 x 531"
  check "$1: centred" test "$wx,$wy" = "$(((sw - 846) / 2)),$(((sh - 531) / 2))"
  # No frame: the X window is exactly the client area, and asks for no decorations.
  local hints
  hints=$(xprop -id "$win" _MOTIF_WM_HINTS 2>/dev/null)
  local flags decorations
  read -r flags decorations < <(echo "${hints#*= }" | tr -d ',' | awk '{print $1, $3}')
  check "$1: undecorated ($hints)" test $((${flags:-0} & 2)) = 2 -a "$decorations" = 0x0
}

# --- Pixels -----------------------------------------------------------------------------

# ink_in <x y w h RRGGBB tol>: relative to the window; sets $count and $box (x0 y0 x1 y1).
ink_in() {
  local out
  out=$("$xprobe" ink $((wx + $1)) $((wy + $2)) "$3" "$4" "$5" "$6") || return 1
  count=$(echo "$out" | awk '{print $2}')
  box=$(echo "$out" | awk -v x="$wx" -v y="$wy" '{print $4 - x, $5 - y, $6 - x, $7 - y}')
}
inside() { # inside <x0 y0 x1 y1> <bx by bw bh>: the ink box lies within the label
  [ "$1" -ge "$5" ] && [ "$2" -ge "$6" ] && [ "$3" -lt $(($5 + $7)) ] && [ "$4" -lt $(($6 + $8)) ]
}
# The words' labels, in window coordinates: the panel sits at (8, 496), the labels at
# (Left, 4) inside it.
words_drawn() { ink_in 489 500 39 19 008000 8 && [ "$count" -ge 50 ]; }

same_colours() { # same_colours "<RRGGBB...>" "<RRGGBB...>" <tolerance>
  local -a a=($1) b=($2)
  [ "${#a[@]}" -gt 0 ] && [ "${#a[@]}" = "${#b[@]}" ] || return 1
  local i shift d
  for i in "${!a[@]}"; do
    for shift in 16 8 0; do
      d=$((((16#${a[i]} >> shift) & 255) - ((16#${b[i]} >> shift) & 255)))
      [ "${d#-}" -le "$3" ] || return 1
    done
  done
}

check_pixels() {
  check "words drawn" wait_until 20 words_drawn
  # The strip: black wherever the words are not (their edges blend green into black).
  ink_in 8 496 830 27 004000 64
  check "strip black and green only ($count of 22410)" test "$count" = 22410
  # The artwork above the title, in 4 x 3 blocks: each block's mean colour as in the picture
  # stretched to the window (the means do not depend on how the stretch rounds; averaged on
  # the stored values, as xprobe does, not in linear light).
  local shown expected
  shown=$("$xprobe" means "$wx" "$wy" 844 300 4 3 | tr '\n' ' ')
  expected=$(convert "$artwork" -set colorspace RGB -resize '846x531!' -crop 844x300+0+0 \
    +repage -scale '4x3!' -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | tr -d '#' | tr '\n' ' ')
  check "artwork blocks as in the picture (shown: $shown; picture: $expected)" \
    same_colours "$shown" "$expected" 6
  ink_in 232 305 424 25 FFFF00 8
  # shellcheck disable=SC2086
  check "title yellow inside its label ($count pixels, box $box)" \
    bash -c '[ "$0" -ge 1000 ] && [ "$1" -ge 232 ] && [ "$2" -ge 305 ] && [ "$3" -lt 656 ] && [ "$4" -lt 330 ] && [ $(($3 - $1)) -ge 380 ]' "$count" $box
  local label name left width
  for label in "ENGLISH 301 72" "RUSSIAN 393 75" "EXIT 489 39"; do
    read -r name left width <<<"$label"
    ink_in "$left" 500 "$width" 19 008000 8
    # shellcheck disable=SC2086
    check "$name green inside its label ($count pixels, box $box)" \
      bash -c '[ "$0" -ge 50 ] && [ $(($3 - $1)) -ge $(($6 * 2 / 3)) ]' "$count" $box "$left" "$width"
    # shellcheck disable=SC2086
    check "$name ink within $left..$((left + width)) x 500..519" inside $box "$left" 500 "$width" 19
  done
}

# --- Cursor -----------------------------------------------------------------------------

hand_rows=$(awk '/^image/ {on = 1; next} on' "$art/hand_point.cur.txt")
shows_hand() {
  local shape
  shape=$("$xprobe" cursor) || return 1
  [ "$(echo "$shape" | head -n1)" = "hotspot 7 1 size 32 32" ] &&
    [ "$(echo "$shape" | tail -n +2)" = "$hand_rows" ]
}

check_cursor() {
  xdotool mousemove $((wx + 500)) $((wy + 509))
  check "the executable's hand over EXIT (hot spot 7,1, drawn as hand_point)" wait_until 10 shows_hand
  xdotool mousemove $((wx + 100)) $((wy + 100))
  check "no hand over the artwork" wait_until 10 bash -c '! "$0" cursor | head -n1 | grep -q "^hotspot 7 1 "' "$xprobe"
}

# --- Clicks -----------------------------------------------------------------------------

click_at() { # click_at <x y> relative to the window
  xdotool mousemove $((wx + $1)) $((wy + $2))
  xdotool click 1
}
ran_lines() { grep -c '^ran ' "$log"; }

# check_language <label x> <edition> <dir>: the stand-in ran once, from the current directory,
# with the launcher minimised, and the launcher ended with 0.
check_language() {
  local x=$1 edition=$2 dir=$3
  start_subject "$dir"
  wait_until "$show_deadline" find_window && wait_until 20 words_drawn || {
    not_ok "$edition: window shown"
    close_subject
    return
  }
  click_at "$x" 509
  status=""
  check "$edition: launcher ended" wait_exit 20
  check "$edition: exit code 0 ($status)" test "${status:-x}" = 0
  wait_until 10 test -s "$log"
  check "$edition: game started once ($(ran_lines))" test "$(ran_lines)" = 1
  local line expected
  line=$(head -n1 "$log" | tr -d '\r')
  if [ -n "$native" ]; then
    # Physical paths on both sides: the stand-in reports what the system says.
    dir=$(cd "$dir" && pwd -P)
    expected="ran edition=$edition cwd=$dir launcher=minimised args=0"
    expected+=" exe=$dir/$edition/brasslantern.exe"
    check "$edition: the iconify request was the form's" grep -qx "iconify $win" "$requests"
  else
    # The form minimised is still shown, so the application window stays visible with it.
    expected="ran edition=$edition cwd=$(winpath "$dir") launcher=minimised app=visible args=0"
    expected+=" exe=$(winpath "$dir")\\$edition\\brasslantern.exe"
  fi
  check "$edition: right edition and folder, no arguments, launcher minimised: $line" \
    test "$line" = "$expected"
}

# The native launcher with the Windows stand-in: WinExec hands a PE file to wine. Wine's
# start is slow, hence the longer wait for the line.
check_wine_game() {
  local dir
  dir=$(cd "$work/run" && pwd -P)
  start_subject "$dir"
  wait_until "$show_deadline" find_window && wait_until 20 words_drawn || {
    not_ok "wine game: window shown"
    close_subject
    return
  }
  click_at 330 509
  status=""
  check "wine game: launcher ended" wait_exit 20
  check "wine game: exit code 0 ($status)" test "${status:-x}" = 0
  check "wine game: the Windows stand-in ran" wait_until 60 test -s "$log"
  local line expected
  line=$(head -n1 "$log" | tr -d '\r')
  expected="ran edition=eng cwd=$(winpath "$dir") launcher=absent app=absent args=0"
  expected+=" exe=$(winpath "$dir")\\eng\\brasslantern.exe"
  check "wine game: the English stand-in through wine, from the current directory: $line" \
    test "$line" = "$expected"
  check "wine game: started once ($(ran_lines))" test "$(ran_lines)" = 1
}

# Natively the application window has no X window (it is never shown as one): the form's
# window is the one window of ours on the screen.
only_form_shown() {
  [ "$(xdotool search --onlyvisible --classname '^launcher$' 2>/dev/null | tr '\n' ' ')" = "$win " ] &&
    [ "$(xprop -id "$win" WM_NAME 2>/dev/null)" = 'WM_NAME(STRING) = "launcher"' ]
}

check_first_start() { # the first start's picture, cursor and EXIT
  check_pixels
  if [ -n "$native" ]; then
    check "the form's window is the only one shown, titled after the file" only_form_shown
  else
    check "application window visible with the form, titled after the file" \
      bash -c '[ "$(wine "$0" state 2>/dev/null | tr -d "\r")" = "app=1 form=1 iconic=0 title=launcher" ]' "$probe"
  fi
  check_cursor
  click_at 500 509
  status=""
  check "EXIT: ended within 2 s" wait_exit 2
  [ -n "$status" ] || wait_exit 20 # a late end still tells its exit code
  check "EXIT: exit code 0 (${status:-none})" test "${status:-x}" = 0
}

check_launcher() {
  start_subject "$work/run"
  if check_shape "1920x1080"; then
    check_first_start
  fi
  close_subject
  check "EXIT: started nothing" test ! -s "$log"

  check_language 330 eng "$work/run"
  check_language 420 rus "$work/run"
  # The game is looked up from the current directory, not beside the executable.
  check_language 330 eng "$work/elsewhere"

  start_subject "$work/nogame"
  if wait_until "$show_deadline" find_window && wait_until 20 words_drawn; then
    click_at 330 509
    status=""
    check "no game: ended silently" wait_exit 20
    check "no game: exit code 0 (${status:-none})" test "${status:-x}" = 0
  else
    not_ok "no game: window shown"
  fi
  close_subject

  start_subject "$work/run"
  local how="WM_CLOSE to the application window"
  [ -z "$native" ] || how="WM_DELETE_WINDOW to the form's window"
  if wait_until "$show_deadline" find_window; then
    if [ -n "$native" ]; then
      "$xprobe" close "$win"
    else
      wine "$probe" close TApplication >/dev/null 2>&1
    fi
    status=""
    check "$how: ended" wait_exit 20
    check "$how: exit code 0 (${status:-none})" test "${status:-x}" = 0
  else
    not_ok "$how: window shown"
  fi
  close_subject
}

# The large screen is the test command's own X server when it has that size (Wine only:
# the native program would take any X server, a desktop's with its window manager too).
if [ -z "$native" ] && [ -n "${DISPLAY:-}" ] && xdpyinfo 2>/dev/null | grep -q 'dimensions: *1920x1080 pixels'; then
  big=$DISPLAY
else
  start_xvfb 1920x1080 || {
    echo "Xvfb did not start"
    exit 1
  }
  big=$display
fi

if [ -n "$wine_game" ]; then
  use_display "$big"
  check_wine_game
  finish
  exit
fi

start_xvfb 1024x768 || {
  echo "Xvfb did not start"
  exit 1
}
small=$display

switch_display() { if [ -n "$native" ]; then use_native_display "$1"; else use_display "$1"; fi; }

switch_display "$big"
if [ "$subject" = launcher ]; then
  check_launcher
else
  start_subject "$work/run"
  # bare_xlib draws the launcher's picture: the pixel checks check themselves on it.
  if check_shape "1920x1080" && [ -n "$native" ]; then check_pixels; fi
  close_subject
  check "closed" exited
fi

switch_display "$small"
start_subject "$work/run"
check_shape "1024x768"
close_subject

finish
