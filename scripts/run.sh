#!/usr/bin/env bash
# make run: builds the native launcher (build/launcher/launcher, on our own Win32 subset)
# and starts it on your X display. Its current directory is a run folder holding eng/ and
# rus/ with a stand-in game, so the language choices start something: each start appends a
# line to ran.txt beside it. The stand-in is the Windows one (tests/e2e/standin_game.cpp,
# started through Wine by our WinExec) where Wine and the cross compiler are installed, else
# a small script. Stop the launcher with EXIT in its window, or Ctrl+C here.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# Said before the build, in the launcher's own words (it checks the same itself).
if [ -z "${DISPLAY:-}" ]; then
  echo "make run: no X display to show the window on (DISPLAY is not set): log in to a desktop session (or use ssh -X), or start one with 'Xvfb :5 & export DISPLAY=:5'" >&2
  exit 1
fi
if ! xdpyinfo >/dev/null 2>&1; then
  echo "make run: cannot open X display \"$DISPLAY\": check DISPLAY (and xhost or XAUTHORITY), or start one with 'Xvfb :5 & export DISPLAY=:5'" >&2
  exit 1
fi

build=${LAUNCHER_BUILD:-build}
export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
command -v ccache >/dev/null || unset CMAKE_CXX_COMPILER_LAUNCHER CMAKE_C_COMPILER_LAUNCHER

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build" -j2 launcher

run="$root/$build/run"
mkdir -p "$run/eng" "$run/rus"
standin="$root/tests/e2e/standin_game.cpp"
if wine --version >/dev/null 2>&1 && command -v i686-w64-mingw32-g++ >/dev/null; then
  game="$run/brasslantern.exe"
  if [ ! -f "$game" ] || [ "$standin" -nt "$game" ]; then
    i686-w64-mingw32-g++ -std=c++20 -O2 -mwindows -static -s -o "$game" "$standin"
  fi
  export WINEPREFIX="$root/.cache/wine-run" WINEARCH=win32 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$root/.cache"  # wine makes the prefix, but not the folder it goes in
  [ -f "$WINEPREFIX/.ready" ] || echo "Preparing a Wine prefix in ${WINEPREFIX#"$root"/} for the stand-in game (once, about a minute)"
  . "$root/scripts/wine-prefix.sh"
  prepare_wine_prefix
else
  # No Wine: a script in the stand-in's place records the start the same way.
  game="$run/brasslantern.sh"
  cat >"$game" <<'EOF'
#!/bin/sh
here=$(cd "$(dirname "$0")" && pwd)
echo "ran edition=$(basename "$here") cwd=$(pwd) args=$#" >>"${LAUNCHER_STANDIN_LOG:-$here/ran.txt}"
EOF
  chmod +x "$game"
fi
for edition in eng rus; do
  cp "$game" "$run/$edition/brasslantern.exe"
done

echo "Starting the launcher in ${run#"$root"/} (EXIT in its window or Ctrl+C here stops it)"
cd "$run"
exec "$root/$build/launcher/launcher"
