#!/usr/bin/env bash
# Builds and runs every test: natively, the Debian package made from the native tree,
# natively with sanitizers, cross-compiled under Wine, and the fuzzers; then checks format
# and lint over the native tree. Prints one summary line per stage with its wall time;
# exits non-zero if any failed.
#   scripts/test.sh [native|package|sanitizers|windows|fuzz|lint]...   (default: all six)
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. "$root/scripts/wine-prefix.sh"
jobs=2
# Build folders: $build, $build-asan, $build-win, $build-fuzz. A helper working beside
# others sets LAUNCHER_BUILD=build-<name> so parallel runs never share a folder.
build=${LAUNCHER_BUILD:-build}
logs="$root/.cache/test-logs/$build"
mkdir -p "$logs"
summary=()
failed=0

# run_stage <name> <function>: runs a stage with its output in a log, echoing it live.
run_stage() {
  local name=$1 fn=$2 log="$logs/$1.log" rc began=$SECONDS
  echo "=== $name"
  "$fn" 2>&1 | tee "$log"
  rc=${PIPESTATUS[0]}
  name="$name ($((SECONDS - began)) s)"
  local line
  line=$(grep -E 'tests passed|^summary: ' "$log" | tail -n1)
  line=${line#summary: }
  grep -q '^summary-note: build failed' "$log" && line="build failed; ${line:-no tests ran}"
  [ -n "$line" ] || line="(no tests ran)"
  if [ "$rc" -eq 0 ]; then
    summary+=("$name: $line")
  else
    summary+=("$name: FAILED ($line) - see ${log#"$root"/}")
    failed=1
  fi
}

# Configures, then builds as much as possible (-k 0) so that a broken part still lets
# the rest be tested; returns non-zero if anything failed to build.
configure_and_build() {
  local dir=$1
  shift
  cmake -S "$root" -B "$dir" -G Ninja -DLAUNCHER_WERROR=ON "$@" >/dev/null || return 1
  ninja -C "$dir" -j"$jobs" -k 0 || { echo "summary-note: build failed"; return 1; }
}

native() {
  configure_and_build "$root/$build" -DCMAKE_BUILD_TYPE=Release -DLAUNCHER_BENCH=ON
  local built=$?
  ctest --test-dir "$root/$build" --output-on-failure --timeout 300 -j"$jobs" && [ "$built" -eq 0 ]
}

# The Debian package of the native tree (configured as native() does, so nothing is
# rebuilt after it), checked by packaging/check-package.sh.
package() {
  cmake -S "$root" -B "$root/$build" -G Ninja -DLAUNCHER_WERROR=ON -DCMAKE_BUILD_TYPE=Release \
    -DLAUNCHER_BENCH=ON >/dev/null || return 1
  ninja -C "$root/$build" -j"$jobs" launcher install_files xprobe || return 1
  local out="$root/$build/package"
  rm -rf "$out"
  (cd "$root/$build" && cpack -G DEB -B "$out") >"$out.log" 2>&1 || {
    cat "$out.log"
    return 1
  }
  "$root/packaging/check-package.sh" "$out"/*.deb "$root/$build/tools/xprobe/xprobe"
}

sanitized() {
  configure_and_build "$root/$build-asan" -DCMAKE_BUILD_TYPE=Debug -DLAUNCHER_SANITIZE=ON
  local built=$?
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$root/$build-asan" --output-on-failure --timeout 300 -j"$jobs" && [ "$built" -eq 0 ]
}

xvfb_pid=""
wine_started=""
cleanup() {
  if [ -n "$wine_started" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}

# Xvfb on a display it picks itself (-displayfd), so parallel runs never collide.
start_xvfb() {
  local fdfile="$logs/xvfb.display"
  : >"$fdfile"
  Xvfb -displayfd 9 -screen 0 1920x1080x24 -nolisten tcp 9>"$fdfile" 2>"$logs/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$fdfile" ] && break
    sleep 0.1
  done
  [ -s "$fdfile" ] || { echo "Xvfb did not start"; return 1; }
  export DISPLAY=":$(head -n1 "$fdfile")"
  echo "Xvfb on $DISPLAY"
}

# One 32-bit prefix, created once and reused; no first-run dialogs, no debug chatter.
prepare_wine() {
  export WINEPREFIX="$root/.cache/wine-$build"
  export WINEARCH=win32
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  [ -f "$WINEPREFIX/.ready" ] || echo "Creating the Wine prefix in ${WINEPREFIX#"$root"/}"
  prepare_wine_prefix unmanaged || return 1
  # A persistent server spares every test program the server start-up. Wine's own
  # services start with the first program and would inherit ctest's output pipes, making
  # it wait for them forever: start them here, detached from any pipe.
  wine_started=1
  wineserver -p
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

# Runs in its own subshell (run_stage pipes it), so Xvfb and the Wine server end with it.
windows() {
  trap cleanup EXIT
  # The host tools, even when the rest of the native build failed.
  if [ ! -f "$root/$build/build.ninja" ]; then
    cmake -S "$root" -B "$root/$build" -G Ninja -DLAUNCHER_WERROR=ON -DCMAKE_BUILD_TYPE=Release \
      >/dev/null || return 1
  fi
  ninja -C "$root/$build" -j"$jobs" host_tools || return 1
  # The native launcher too, for e2e_native_wine_game (it starts the Windows stand-in game
  # through wine); that test is skipped when the native tree has no launcher.
  if ninja -C "$root/$build" -t query launcher >/dev/null 2>&1; then
    ninja -C "$root/$build" -j"$jobs" launcher || echo "the native launcher did not build"
  fi
  "$root/scripts/build-libjpeg-win32.sh" || return 1
  configure_and_build "$root/$build-win" -DCMAKE_BUILD_TYPE=Release -DLAUNCHER_BENCH=ON \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DLIBJPEG_WIN32_ROOT="$root/.cache/libjpeg-win32" \
    -DLAUNCHER_HOST_TOOLS="$root/$build/tools"
  local built=$? exe bad=0
  for exe in "$root/$build-win"/tests/*_tests.exe; do
    [ -e "$exe" ] || continue
    if ! file "$exe" | grep -q 'PE32 executable (console) Intel 80386'; then
      echo "not a 32-bit console program: $(file "$exe")"
      bad=1
    fi
  done
  [ "$bad" -eq 0 ] || return 1
  # Wine's loader is a 32-bit program: a kernel without 32-bit support cannot start it. The
  # programs are built and checked above; running them needs a machine that can.
  if ! wine --version >/dev/null 2>&1; then
    echo "summary: built; NOT RUN: this machine cannot start Wine (no 32-bit program support)"
    return "$built"
  fi
  start_xvfb || return 1
  prepare_wine || return 1
  ctest --test-dir "$root/$build-win" --output-on-failure --timeout 300 -j"$jobs" && [ "$built" -eq 0 ]
}

fuzzers() {
  LAUNCHER_FUZZ_BUILD="$root/$build-fuzz" "$root/scripts/fuzz.sh"
}

# clang-format and clang-tidy over the native tree's compile database.
lint() {
  LAUNCHER_BUILD="$build" "$root/scripts/lint.sh"
}

# Stages to run: all by default, or those named (native package sanitizers windows fuzz lint).
stages=("$@")
[ ${#stages[@]} -gt 0 ] || stages=(native package sanitizers windows fuzz lint)
start=$(date +%s)
for stage in "${stages[@]}"; do
  case "$stage" in
    native) run_stage native native ;;
    package) run_stage package package ;;
    sanitizers) run_stage sanitizers sanitized ;;
    windows) run_stage windows windows ;;
    fuzz) run_stage fuzz fuzzers ;;
    lint) run_stage lint lint ;;
    *)
      echo "unknown stage: $stage (native, package, sanitizers, windows, fuzz, lint)" >&2
      exit 2
      ;;
  esac
done
echo
echo "=== Summary ($(($(date +%s) - start)) s)"
printf '%s\n' "${summary[@]}"
exit "$failed"
