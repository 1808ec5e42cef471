#!/usr/bin/env bash
# make run: builds the launcher and starts it on your X display. Until our own Linux
# windowing subset exists this is the Windows build (build-win/launcher/launcher.exe) under
# Wine. Its current directory is a run folder holding eng/ and rus/ with the stand-in game,
# so the language choices start something: each start appends a line to ran.txt beside it.
# Stop it with EXIT in its window, or Ctrl+C here.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if [ -z "${DISPLAY:-}" ]; then
  echo "make run needs an X display and DISPLAY is not set: log in to a desktop (or ssh -X), or start one with 'Xvfb :5 & export DISPLAY=:5'."
  exit 1
fi
if ! xdpyinfo >/dev/null 2>&1; then
  echo "make run cannot open the X display $DISPLAY: check DISPLAY (and xhost/XAUTHORITY), or start one with 'Xvfb :5 & export DISPLAY=:5'."
  exit 1
fi

build=${LAUNCHER_BUILD:-build}
export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
command -v ccache >/dev/null || unset CMAKE_CXX_COMPILER_LAUNCHER CMAKE_C_COMPILER_LAUNCHER

# The build machine's tools first (resource compiler, form tool, artwork, icons), then the
# cross build of the launcher and the stand-in game.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build" -j2 host_tools
scripts/build-libjpeg-win32.sh
cmake -S . -B "$build-win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DLIBJPEG_WIN32_ROOT="$root/.cache/libjpeg-win32" \
  -DLAUNCHER_HOST_TOOLS="$root/$build/tools" >/dev/null
if ! ninja -C "$build-win" -t targets all | grep -q '^launcher:'; then
  echo "The launcher is not part of this source tree yet: there is no launcher target to run."
  exit 1
fi
ninja -C "$build-win" -j2 launcher standin_game

run="$root/$build-win/run"
mkdir -p "$run/eng" "$run/rus"
cp "$build-win/tests/e2e/brasslantern.exe" "$run/eng/brasslantern.exe"
cp "$build-win/tests/e2e/brasslantern.exe" "$run/rus/brasslantern.exe"

export WINEPREFIX="$root/.cache/wine-run" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/.ready" ]; then
  echo "Preparing a Wine prefix in ${WINEPREFIX#"$root"/} (once, about a minute)"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  touch "$WINEPREFIX/.ready"
fi
echo "Starting the launcher in ${run#"$root"/} (EXIT in its window or Ctrl+C here stops it)"
cd "$run"
exec wine "$root/$build-win/launcher/launcher.exe"
