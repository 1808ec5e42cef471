#!/usr/bin/env bash
# The native launcher, from its start to a click on EXIT, writes nothing anywhere and reads
# no configuration of the user's: run under strace on an X server of its own, with HOME and
# the XDG folders on an empty read-only folder, and fontconfig's variables pointing into it.
# Any call that would create, change or remove a file (whether it succeeds or not: root may
# write where others may not) fails the test, and so does any path under that folder other
# than the X libraries' own look-ups (the authority file, resources, the cursor theme).
#   writes_nothing.sh --exe LAUNCHER --xprobe XPROBE --work DIR
# Exit 77 (skipped) when strace, Xvfb or xdotool is missing. Every wait has a deadline.
set -u

while [ $# -gt 0 ]; do
  case "$1" in
    --exe) exe=$2 ;;
    --xprobe) xprobe=$2 ;;
    --work) work=$2 ;;
    *)
      echo "unknown argument $1" >&2
      exit 2
      ;;
  esac
  shift 2
done

exe=$(realpath "$exe") xprobe=$(realpath "$xprobe")
for tool in strace Xvfb xdotool; do
  command -v "$tool" >/dev/null || {
    echo "skipped: $tool is not installed"
    exit 77
  }
done

# shellcheck source=tests/e2e/x_session.sh
. "$(dirname "$0")/x_session.sh"

xvfb="" pid=""
cleanup() {
  [ -z "$pid" ] || kill "$pid" 2>/dev/null
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null
  chmod -R u+w "$work" 2>/dev/null
}
trap cleanup EXIT

chmod -R u+w "$work" 2>/dev/null
rm -rf "$work"
home="$work/home"
mkdir -p "$home" "$work/run"
chmod 555 "$home"
trace="$work/trace"

start_xvfb "$work" 1280x1024 || {
  echo "Xvfb did not start"
  exit 1
}

# Write-like calls on paths, and those on descriptors.
calls=open,openat,openat2,creat,mkdir,mkdirat,rename,renameat,renameat2,unlink,unlinkat,rmdir
calls+=,link,linkat,symlink,symlinkat,chmod,fchmod,fchmodat,chown,fchown,lchown,fchownat
calls+=,utime,utimes,utimensat,futimesat,truncate,ftruncate,mknod,mknodat,fallocate
calls+=,setxattr,lsetxattr,fsetxattr,removexattr,lremovexattr,fremovexattr
# Reads of the user's folders, from any call on a path.
(cd "$work/run" && exec env -u LAUNCHER_DISPLAY -u XAUTHORITY HOME="$home" \
  XDG_CACHE_HOME="$home" XDG_CONFIG_HOME="$home" XDG_DATA_HOME="$home" \
  FONTCONFIG_FILE="$home/fonts.conf" FONTCONFIG_PATH="$home" \
  strace -f -qq -o "$trace" -e trace="%file,$calls" "$exe" </dev/null >"$work/out" 2>&1) &
pid=$!

exited() { ! kill -0 "$pid" 2>/dev/null; }

if ! wait_until 60 find_window || ! wait_until 60 word_drawn 489 39; then
  echo "not ok - the launcher's window was not shown and painted"
  tail -n 20 "$work/out"
  exit 1
fi
xdotool mousemove $((wx + 500)) $((wy + 509)) click 1
wait_until 60 exited || {
  echo "not ok - the launcher did not end after EXIT"
  exit 1
}
wait "$pid"
status=$?
pid=""

failures=0
# The trace must show the program's reads, or the filter missed everything.
if ! grep -q 'openat(.*O_RDONLY' "$trace"; then
  echo "not ok - the trace shows no file opened: $(head -c 300 "$trace")"
  failures=$((failures + 1))
fi
written=$(grep -E '(^|[^a-z_])(open|openat|openat2)\(.*O_(WRONLY|RDWR|CREAT|TRUNC|APPEND)' "$trace"
  grep -E '(^|[^a-z_])(creat|mkdir|mkdirat|rename|renameat|renameat2|unlink|unlinkat|rmdir|link|linkat|symlink|symlinkat|chmod|fchmod|fchmodat|chown|fchown|lchown|fchownat|utime|utimes|utimensat|futimesat|truncate|ftruncate|mknod|mknodat|fallocate|setxattr|lsetxattr|fsetxattr|removexattr|lremovexattr|fremovexattr)\(' "$trace")
if [ -n "$written" ]; then
  echo "not ok - calls that write:"
  echo "$written" | head -n 40
  failures=$((failures + 1))
fi
users=$(grep -F "\"$home" "$trace" | grep -vE "\"$home/(\.Xauthority|\.Xdefaults[^\"]*|\.icons/[^\"]*)\"")
if [ -n "$users" ]; then
  echo "not ok - looks under the user's folders:"
  echo "$users" | head -n 40
  failures=$((failures + 1))
fi
if [ "$status" != 0 ]; then
  echo "not ok - exit code $status"
  tail -n 20 "$work/out"
  failures=$((failures + 1))
fi
echo "$failures check(s) failed"
[ "$failures" = 0 ]
