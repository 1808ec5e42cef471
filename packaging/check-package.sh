#!/usr/bin/env bash
# Checks the Debian package as a user gets it: lintian, the desktop entry and metainfo
# validators, its file list against packaging/files.txt, and the installed launcher
# started the way its desktop entry says (in a temporary root, with a stand-in game
# beside it, on an X server of our own): window shown, ENGLISH starts the stand-in
# once, exit code 0. Every wait has a deadline.
#   check-package.sh DEB XPROBE
set -u
deb=$1
xprobe=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/e2e/x_session.sh
. "$here/../tests/e2e/x_session.sh"
work=$(mktemp -d)
failures=0
passed=0
xvfb=""
pid=""
cleanup() {
  [ -z "$pid" ] || kill "$pid" 2>/dev/null
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
ok() {
  echo "ok - $1"
  passed=$((passed + 1))
}
check() { # check <name> <command...>
  local name=$1
  shift
  if "$@"; then ok "$name"; else
    echo "not ok - $name"
    failures=$((failures + 1))
    return 1
  fi
}
# Warnings count as failures: one that is accepted goes into an overrides file with its
# reason, shipped in the package.
check "lintian: no errors or warnings" lintian --allow-root --fail-on error,warning "$deb"
dpkg-deb -c "$deb" | awk '{print $6}' | sort >"$work/files.txt"
check "the package holds the files of packaging/files.txt" diff -u "$here/files.txt" "$work/files.txt"

root="$work/root"
dpkg-deb -x "$deb" "$root"
desktop=$(ls "$root"/usr/share/applications/*.desktop)
check "desktop entry valid" desktop-file-validate "$desktop"
check "metainfo valid" appstreamcli validate --no-net "$root"/usr/share/metainfo/*.xml

# The entry's command and folder, moved into the temporary root.
entry() { sed -n "s|^$1=/|$root/|p" "$desktop"; }
exe=$(entry Exec)
folder=$(entry Path)
log="$work/ran.log"
for edition in eng rus; do
  mkdir -p "$folder/$edition"
  # shellcheck disable=SC2016 # expanded by the stand-in when it runs
  printf '#!/bin/sh\necho "ran edition=%s cwd=$(pwd) args=$#" >>"%s"\n' "$edition" "$log" \
    >"$folder/$edition/brasslantern.exe"
  chmod +x "$folder/$edition/brasslantern.exe"
done

start_xvfb "$work" 1024x768 || {
  echo "not ok - Xvfb did not start"
  exit 1
}

(cd "$folder" && exec "$exe" </dev/null >"$work/launcher.out" 2>&1) &
pid=$!
exited() { ! kill -0 "$pid" 2>/dev/null; }
status=""
if check "window shown" wait_until 20 find_window && check "ENGLISH drawn" wait_until 20 word_drawn 301 72; then
  xdotool mousemove $((wx + 330)) $((wy + 509)) click 1
  if check "ENGLISH: launcher ended" wait_until 20 exited; then
    wait "$pid"
    status=$?
    pid=""
  fi
  check "exit code 0 (${status:-none})" test "$status" = 0
  wait_until 10 test -s "$log"
  check "the English stand-in ran once from the game's folder: $(cat "$log" 2>/dev/null)" \
    test "$(cat "$log" 2>/dev/null)" = "ran edition=eng cwd=$folder args=0"
fi
[ "$failures" -eq 0 ] || tail -n 20 "$work/launcher.out"
echo "summary: $passed checks passed, $failures failed (.deb, lintian, validators, installed launcher)"
[ "$failures" -eq 0 ]
