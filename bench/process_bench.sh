#!/usr/bin/env bash
# Whole-process benchmark: from exec to the 846 x 531 window mapped and fully painted (for
# the launcher: artwork decoded and stretched, title and words drawn), timed from outside
# on the X server by xprobe, the launcher beside a bare program in the same run, started
# alternately. Also the launcher's peak memory and its processor time over 5 s of idling
# with the window shown.
#   LAUNCHER_BUILD=build-<name> bench/process_bench.sh [--native] [runs]   (default 7 runs)
# Wine (the default while a cross tree $build-win exists): launcher.exe beside the bare
# Win32 popup of bench/bare_window.cpp, in one Wine session; needs the native host tools
# ($build) and the cross tree built: launcher, bare_window, win_probe.
# Native (--native, or when there is no cross tree): $build/launcher/launcher beside
# bench/bare_xlib.cpp, the same picture made by hand on Xlib, libjpeg and FreeType; needs
# $build built with LAUNCHER_BENCH: xprobe, bare_xlib (and the launcher, when it exists).
# LAUNCHER_EXE=<path> times another build of the launcher. Runs on an X server of its own.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LAUNCHER_BUILD:-build}
native=0
[ -d "$root/$build-win" ] || native=1
if [ "${1:-}" = --native ]; then
  native=1
  shift
fi
runs=${1:-7}
xprobe="$root/$build/tools/xprobe/xprobe"
if [ "$native" = 1 ]; then
  launcher=${LAUNCHER_EXE:-"$root/$build/launcher/launcher"}
  bare="$root/$build/bench/bare_xlib"
  needed=("$xprobe" "$bare")
else
  launcher=${LAUNCHER_EXE:-"$root/$build-win/launcher/launcher.exe"}
  bare="$root/$build-win/bench/bare_window.exe"
  probe="$root/$build-win/tests/e2e/win_probe.exe"
  needed=("$xprobe" "$bare" "$probe")
fi
for file in "${needed[@]}"; do
  [ -e "$file" ] || {
    echo "missing $file: build it first"
    exit 1
  }
done
[ "$native" = 0 ] || echo "native: $(basename "$bare") beside the native launcher"
have_launcher=1
[ -e "$launcher" ] || {
  echo "no $launcher yet: timing the bare program only"
  have_launcher=0
}

work=$(mktemp -d)
xvfb=""
pid=""
cleanup() {
  [ "$native" = 1 ] || wineserver -k 2>/dev/null || true
  [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
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
[ -s "$work/display" ] || {
  echo "Xvfb did not start"
  exit 1
}
export DISPLAY=":$(head -n1 "$work/display")"

deadline=$([ "$native" = 1 ] && echo 20000 || echo 60000) # ms, for each start

# one <bare|launcher> <command...>: prints the start-up time in ms; leaves $pid running.
# Both native programs show the launcher's picture, so xprobe looks for its title and words.
one() {
  local name=$1 mode=$1 out
  shift
  [ "$native" = 0 ] || mode=launcher
  out=$("$xprobe" startup "$mode" "$deadline" -- "$@" 2>&1) || true
  pid=$(echo "$out" | awk '/pid/ {print $NF}')
  case "$out" in
    painted*) echo "$out" | awk '{print $2}' ;;
    *)
      echo "$name never finished painting: $out" >&2
      return 1
      ;;
  esac
}
gone() { # waits up to 10 s for $pid to end, then kills it
  for _ in $(seq 200); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.05
  done
  kill -KILL "$pid" 2>/dev/null || true
}
finish() { # closes the program (by its window class under Wine) and waits for it
  if [ "$native" = 1 ]; then
    kill "$pid" 2>/dev/null || true
  else
    wine "$probe" close "$1" >/dev/null 2>&1 || true
  fi
  gone
  pid=""
}
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hwm() { awk '/^VmHWM/ {print $2}' "/proc/$1/status" 2>/dev/null || echo 0; }
median() { sort -n | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

if [ "$native" = 1 ]; then
  cd "$work"
  bare_cmd=("$bare")
  launcher_cmd=("$launcher")
else
  export WINEPREFIX="$root/.cache/wine-$build-bench" WINEARCH=win32 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  . "$root/scripts/wine-prefix.sh"
  prepare_wine_prefix unmanaged
  wineserver -p
  wine cmd /c exit </dev/null >/dev/null 2>&1
  bare_cmd=(wine "$bare")
  launcher_cmd=(wine "$launcher")
fi

# Warm-up: the first start of each loads its files into the caches.
one bare "${bare_cmd[@]}" >/dev/null
finish BareWindow
if [ "$have_launcher" = 1 ]; then
  one launcher "${launcher_cmd[@]}" >/dev/null
  finish TForm1
fi

: >"$work/bare.ms"
: >"$work/launcher.ms"
peak=0
bare_peak=0
idle=""
for i in $(seq "$runs"); do
  one bare "${bare_cmd[@]}" >>"$work/bare.ms"
  h=$(hwm "$pid")
  [ "$h" -le "$bare_peak" ] || bare_peak=$h
  finish BareWindow
  [ "$have_launcher" = 1 ] || continue
  one launcher "${launcher_cmd[@]}" >>"$work/launcher.ms"
  if [ "$i" = 1 ]; then
    # Idle with the window shown: processor time used over 5 s (clock ticks of 10 ms).
    before=$(cpu_ticks "$pid")
    sleep 5
    idle=$(($(cpu_ticks "$pid") - before))
  fi
  h=$(hwm "$pid")
  [ "$h" -le "$peak" ] || peak=$h
  finish TForm1
done

bare_ms=$(median <"$work/bare.ms")
name=$([ "$native" = 1 ] && echo "bare_xlib  " || echo "bare window")
echo "$name: exec to painted, median of $runs: ${bare_ms} ms ($(tr '\n' ' ' <"$work/bare.ms"))"
[ "$native" = 0 ] || echo "bare_xlib peak memory (VmHWM): $bare_peak KiB"
[ "$have_launcher" = 1 ] || exit 0
launcher_ms=$(median <"$work/launcher.ms")
echo "launcher:    exec to painted, median of $runs: ${launcher_ms} ms ($(tr '\n' ' ' <"$work/launcher.ms"))"
if [ "$native" = 1 ]; then
  echo "launcher / bare: $(awk -v a="$launcher_ms" -v b="$bare_ms" 'BEGIN {printf "%.2f", a / b}') (target: at most 1.2)"
  echo "launcher peak memory (VmHWM): $peak KiB (target: at most 12288)"
else
  echo "launcher - bare: $(awk -v a="$launcher_ms" -v b="$bare_ms" 'BEGIN {printf "%.1f", a - b}') ms (target: at most 15 ms)"
  echo "launcher peak memory (VmHWM of the Wine process): $((peak / 1024)) MiB ($peak KiB)"
  echo "launcher.exe size: $(stat -c %s "$launcher") bytes (target: at most 1572864)"
fi
echo "launcher processor time over 5 s idle: $idle ticks, $((idle * 10)) ms (target: 0)"
