#!/usr/bin/env bash
# Whole-process benchmark under Wine: from exec to the 846 x 531 window mapped and fully
# painted (for the launcher: artwork decoded and stretched, title and words drawn), timed
# from outside on the X server by xprobe, the launcher beside the bare popup window of
# bench/bare_window.cpp in the same run and the same Wine session. Also the launcher's peak
# memory, the size of launcher.exe and its processor time over 5 s of idling with the
# window shown.
#   LAUNCHER_BUILD=build-<name> bench/process_bench.sh [runs]     (default 7 runs each)
# LAUNCHER_EXE=<path> times another build of the launcher.
# Needs the native host tools ($build) and the cross tree ($build-win) built: launcher,
# bare_window, win_probe. Runs on an X server and a Wine prefix of its own.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LAUNCHER_BUILD:-build}
runs=${1:-7}
xprobe="$root/$build/tools/xprobe/xprobe"
launcher=${LAUNCHER_EXE:-"$root/$build-win/launcher/launcher.exe"}
bare="$root/$build-win/bench/bare_window.exe"
probe="$root/$build-win/tests/e2e/win_probe.exe"
for file in "$xprobe" "$bare" "$probe"; do
  [ -e "$file" ] || {
    echo "missing $file: build it first"
    exit 1
  }
done
have_launcher=1
[ -e "$launcher" ] || {
  echo "no $launcher yet: timing the bare window only"
  have_launcher=0
}

work=$(mktemp -d)
xvfb=""
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 9 -screen 0 1920x1080x24 -nolisten tcp 9>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
export DISPLAY=":$(head -n1 "$work/display")"
export WINEPREFIX="$root/.cache/wine-$build-bench" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/.ready" ]; then
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  touch "$WINEPREFIX/.ready"
fi
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1

# one <bare|launcher> <exe>: prints the start-up time in ms; leaves $pid running.
one() {
  local out
  out=$("$xprobe" startup "$1" 60000 -- wine "$2" 2>&1) || true
  pid=$(echo "$out" | awk '{print $NF}')
  case "$out" in
    painted*) echo "$out" | awk '{print $2}' ;;
    *)
      echo "$1 never finished painting: $out" >&2
      return 1
      ;;
  esac
}
finish() { # closes the program and waits for it
  wine "$probe" close "$1" >/dev/null 2>&1 || true
  for _ in $(seq 200); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.05
  done
  kill "$pid" 2>/dev/null || true
}
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
median() { sort -n | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

# Warm-up: the first start of each loads Wine's and the program's files into the caches.
one bare "$bare" >/dev/null && finish BareWindow
[ "$have_launcher" = 0 ] || { one launcher "$launcher" >/dev/null && finish TForm1; }

: >"$work/bare.ms"
: >"$work/launcher.ms"
peak=0
idle=""
for i in $(seq "$runs"); do
  one bare "$bare" >>"$work/bare.ms"
  finish BareWindow
  [ "$have_launcher" = 1 ] || continue
  one launcher "$launcher" >>"$work/launcher.ms"
  if [ "$i" = 1 ]; then
    # Idle with the window shown: processor time used over 5 s (clock ticks of 10 ms).
    before=$(cpu_ticks "$pid")
    sleep 5
    idle=$(($(cpu_ticks "$pid") - before))
  fi
  hwm=$(awk '/^VmHWM/ {print $2}' "/proc/$pid/status")
  [ "$hwm" -le "$peak" ] || peak=$hwm
  finish TForm1
done

bare_ms=$(median <"$work/bare.ms")
echo "bare window: exec to painted, median of $runs: ${bare_ms} ms ($(tr '\n' ' ' <"$work/bare.ms"))"
if [ "$have_launcher" = 1 ]; then
  launcher_ms=$(median <"$work/launcher.ms")
  echo "launcher:    exec to painted, median of $runs: ${launcher_ms} ms ($(tr '\n' ' ' <"$work/launcher.ms"))"
  echo "launcher - bare: $(awk -v a="$launcher_ms" -v b="$bare_ms" 'BEGIN {printf "%.1f", a - b}') ms (target: at most 15 ms)"
  echo "launcher peak memory (VmHWM of the Wine process): $((peak / 1024)) MiB ($peak KiB)"
  echo "launcher.exe size: $(stat -c %s "$launcher") bytes (target: at most 1572864)"
  echo "launcher processor time over 5 s idle: $((idle * 10)) ms (target: 0)"
fi
